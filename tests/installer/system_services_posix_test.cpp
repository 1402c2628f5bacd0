// The portable stand-in of the system services answers in Windows terms.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "installer/system_services_platform.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
namespace installer = kovo::plugin::web::installer;

TEST(PortableServices, ExpandOnlyDefinedVariables) {
  setenv("KOVO_STAND_IN_VAR", "/tmp/kovo", 1);
  auto& services = installer::PlatformServices();
  const struct {
    const wchar_t* text;
    const wchar_t* expanded;
  } cases[] = {
      {L"%KOVO_STAND_IN_VAR%/KovoPlugin.Installer", L"/tmp/kovo/KovoPlugin.Installer"},
      {L"%KOVO_NOT_DEFINED%/x", L"%KOVO_NOT_DEFINED%/x"},
      {L"100% and %KOVO_STAND_IN_VAR%", L"100% and /tmp/kovo"},
      {L"%%", L"%%"},
      {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(services.ExpandEnvironment(c.text), c.expanded);
  unsetenv("KOVO_STAND_IN_VAR");
}

TEST(PortableServices, CreateFolderAnswersWithWindowsErrorCodes) {
  kovo::testing::TempFolder temp;
  auto& services = installer::PlatformServices();
  EXPECT_EQ(services.CreateFolder(temp.Path().wstring()), 0u);
  EXPECT_EQ(services.CreateFolder((temp.Path() / "fresh").wstring()), 0u);
  EXPECT_TRUE(fs::is_directory(temp.Path() / "fresh"));
  EXPECT_EQ(services.CreateFolder((temp.Path() / "missing" / "child").wstring()), 3u);  // ERROR_PATH_NOT_FOUND
}

TEST(PortableServices, SpaceOfAMissingVolumeRaisesTheSpaceError) {
  EXPECT_GT(installer::PlatformServices().Space(L"/").capacity, 0u);
  try {
    installer::PlatformServices().Space(L"/no/such/volume");
    ADD_FAILURE() << "no error";
  } catch (const fs::filesystem_error& error) {
    EXPECT_NE(std::string(error.what()).find("space"), std::string::npos) << error.what();
  }
}

}  // namespace
