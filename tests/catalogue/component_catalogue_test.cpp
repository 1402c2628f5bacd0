#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "installer/component_catalogue.h"
#include "translator/lang.h"

namespace installer = kovo::plugin::web::installer;
using installer::ComponentCheckTable;
using installer::ComponentDescriptions;
using installer::ComponentGroups;
using installer::ComponentsFromChecks;
using installer::GroupComponents;
using Strings = std::vector<std::string>;

namespace {

class Catalogue : public ::testing::Test {
 protected:
  void SetUp() override { installer::SetLanguage(installer::kLanguageRussian); }
  void TearDown() override { installer::SetLanguage(installer::kLanguageRussian); }
};

ComponentCheckTable NothingTicked() {
  ComponentCheckTable checks;
  for (const auto& [identifier, labels] : ComponentDescriptions()) checks[identifier] = false;
  return checks;
}

ComponentCheckTable Ticked(const Strings& identifiers) {
  ComponentCheckTable checks = NothingTicked();
  for (const auto& identifier : identifiers) checks.at(identifier) = true;
  return checks;
}

bool IsIdentifier(const std::string& text) {
  const std::string withoutMarker = installer::PackageFeatureName(text);
  return !withoutMarker.empty() && text.size() <= 27 &&
         std::all_of(withoutMarker.begin(), withoutMarker.end(), [](unsigned char c) {
           return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
         });
}

}  // namespace

// ---------------------------------------------------------------------------
// The tables
// ---------------------------------------------------------------------------

TEST_F(Catalogue, GroupsInDisplayOrderWithTheirSizes) {
  const std::vector<std::pair<std::string, size_t>> expected = {{"Extensions", 15},
                                                                {"Recommended", 3},
                                                                {"Retail online support", 4},
                                                                {"Work with external systems", 11}};
  std::vector<std::pair<std::string, size_t>> actual;
  for (const auto& [key, members] : GroupComponents()) actual.emplace_back(key, members.size());
  EXPECT_EQ(actual, expected);

  Strings groupKeys;
  for (const auto& [key, labels] : ComponentGroups()) groupKeys.push_back(key);
  EXPECT_EQ(groupKeys,
            (Strings{"Extensions", "Recommended", "Retail online support", "Work with external systems"}));
  EXPECT_EQ(ComponentGroups().at("Recommended").at("ru"), "Рекоммендуемые");
  EXPECT_EQ(ComponentGroups().at("Extensions").at("ru"), "Расширения");
  EXPECT_EQ(ComponentGroups().at("Work with external systems").at("ru"), "Работа с внешними системами");
  for (const auto& [key, labels] : ComponentGroups()) EXPECT_EQ(labels.at("en"), key);
}

TEST_F(Catalogue, EveryOfferedFeatureIsDescribedAndInExactlyOneGroup) {
  std::multiset<std::string> offered;
  for (const auto& [key, members] : GroupComponents()) {
    EXPECT_TRUE(std::is_sorted(members.begin(), members.end())) << key;
    offered.insert(members.begin(), members.end());
  }
  EXPECT_EQ(offered.size(), 33u);
  for (const auto& identifier : offered) {
    EXPECT_EQ(offered.count(identifier), 1u) << identifier;
    EXPECT_EQ(ComponentDescriptions().count(identifier), 1u) << identifier;
  }
  EXPECT_EQ(ComponentDescriptions().size(), 50u);
}

TEST_F(Catalogue, IdentifiersAreDistinctFeatureNamesOfThePackage) {
  std::set<std::string> featureNames = {"BaseFeature", "Basiccomponents"};
  for (const auto& [identifier, labels] : ComponentDescriptions()) {
    EXPECT_TRUE(IsIdentifier(identifier)) << identifier;
    EXPECT_TRUE(featureNames.insert(installer::PackageFeatureName(identifier)).second)
        << identifier << " collides with another feature of the package";
    EXPECT_EQ(labels.size(), 2u) << identifier;
    EXPECT_FALSE(labels.at("en").empty()) << identifier;
    EXPECT_FALSE(labels.at("ru").empty()) << identifier;
  }
}

TEST_F(Catalogue, ChecksStartUntickedForEveryRowAndKeepTheirTicks) {
  ComponentCheckTable& checks = installer::ComponentChecks();
  EXPECT_EQ(checks, NothingTicked());
  checks.at("CloudDisk") = true;
  EXPECT_TRUE(installer::ComponentChecks().at("CloudDisk"));
  EXPECT_EQ(&installer::ComponentChecks(), &checks);
}

// ---------------------------------------------------------------------------
// Ticks to components list
// ---------------------------------------------------------------------------

TEST(PackageFeatureName, DropsTheFirstWindowsMarkerOnly) {
  const std::map<std::string, std::string> cases = {
      {"CryptoProvider_win", "CryptoProvider"},
      {"Twain_win64", "Twain64"},
      {"A_winB_win", "AB_win"},
      {"_win", ""},
      {"WinScanner", "WinScanner"},  // no underscore: not the marker
      {"Scanner_Win", "Scanner_Win"},
      {"CloudDisk", "CloudDisk"},
  };
  for (const auto& [identifier, expected] : cases) {
    EXPECT_EQ(installer::PackageFeatureName(identifier), expected);
  }
}

TEST_F(Catalogue, TicksBecomeFeatureNamesInIdentifierOrder) {
  const struct {
    const char* what;
    Strings ticked;
    Strings expected;
  } cases[] = {
      {"nothing ticked", {}, {}},
      {"two groups, ticked against display order",
       {"WebDavGateway", "AudioNotes"},
       {"AudioNotes", "WebDavGateway"}},
      {"identifier order, not group order",
       {"StoreSupportChat", "CloudDisk", "AccountingConnector", "EventNotifier"},
       {"AccountingConnector", "CloudDisk", "EventNotifier", "StoreSupportChat"}},
      {"marker dropped",
       {"CryptoProvider_win", "LegacyAccountingBridge_win"},
       {"CryptoProvider", "LegacyAccountingBridge"}},
      {"never offered rows stay out", {"AutoUpdate", "CryptoCore_win", "PdfTools"}, {"PdfTools"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ComponentsFromChecks(Ticked(c.ticked)), c.expected) << c.what;
  }
}

TEST_F(Catalogue, UnknownOrUngroupedTicksNeverReachThePackage) {
  ComponentCheckTable checks;
  checks["NotInTheCatalogue"] = true;
  checks["BaseFeature"] = true;
  for (const auto& [identifier, labels] : ComponentDescriptions()) checks[identifier] = true;
  const Strings components = ComponentsFromChecks(checks);
  EXPECT_EQ(components.size(), 33u);
  for (const auto& name : {"NotInTheCatalogue", "BaseFeature", "AutoUpdate", "CryptoCore"}) {
    EXPECT_EQ(std::count(components.begin(), components.end(), name), 0) << name;
  }
  EXPECT_TRUE(std::is_sorted(components.begin(), components.end()));
}

TEST_F(Catalogue, LanguageChangesLabelsNeverTheComponents) {
  const ComponentCheckTable checks = Ticked({"CryptoProvider_win", "ScreenshotEditor"});
  const Strings russianComponents = ComponentsFromChecks(checks);
  EXPECT_EQ(installer::CatalogueLanguageCode(), "ru");
  EXPECT_EQ(installer::GroupLabel("Recommended"), "Рекоммендуемые");
  EXPECT_EQ(installer::ComponentLabel("ScreenshotEditor"), "Редактор скриншотов");

  installer::SetLanguage(installer::kLanguageEnglish);
  EXPECT_EQ(installer::CatalogueLanguageCode(), "en");
  EXPECT_EQ(installer::GroupLabel("Recommended"), "Recommended");
  EXPECT_EQ(installer::ComponentLabel("ScreenshotEditor"), "Screenshot editor");
  EXPECT_EQ(ComponentsFromChecks(checks), russianComponents);

  for (const auto& [key, labels] : ComponentGroups()) EXPECT_EQ(installer::GroupLabel(key), labels.at("en"));
  for (const auto& [identifier, labels] : ComponentDescriptions()) {
    EXPECT_EQ(installer::ComponentLabel(identifier), labels.at("en"));
  }
  EXPECT_EQ(installer::ComponentLabel("NotInTheCatalogue"), "NotInTheCatalogue");
}
