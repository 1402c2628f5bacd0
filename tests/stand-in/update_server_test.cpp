#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <httplib.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "stand-in/update_server_process.h"
#include "support/test_support.h"

using kovo::testing::ReadFile;
using kovo::testing::TempFolder;
using kovo::testing::UpdateServerProcess;
using kovo::testing::WriteFile;

namespace {

const char kVersionPath[] = "/Kovo3Plugin/master/win32/version.txt";
const char kRecommendedPath[] = "/Kovo3Plugin/master/win32/kovo3plugin-setup.msi";
const char kFullPath[] = "/Kovo3Plugin/master/win32/kovo3plugin-setup-full.msi";
const char kMinPath[] = "/Kovo3Plugin/master/min/win32/kovo3plugin-setup-min.msi";

// A build folder with the files the server serves; the full package is
// larger than one read so that it goes out in several pieces.
class FakeBuild {
 public:
  FakeBuild() {
    Put(kVersionPath, "21.6225.56.0\n");
    Put(kRecommendedPath, "recommended package");
    std::string large(3 * 1024 * 1024 + 17, '\0');
    for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 7919 % 251);
    Put(kFullPath, large);
    Put(kMinPath, "min package");
  }
  std::string Folder() const { return folder_.Path().string(); }
  std::string Content(const std::string& path) const { return ReadFile(Served(path)); }
  void Remove(const std::string& path) { std::filesystem::remove(Served(path)); }

 private:
  std::filesystem::path Served(const std::string& path) const {
    return folder_.Path() / "stand-in" / "update-server" / path.substr(1);
  }
  void Put(const std::string& path, const std::string& content) {
    std::filesystem::create_directories(Served(path).parent_path());
    WriteFile(Served(path), content);
  }
  TempFolder folder_;
};

httplib::Result Get(int port, const std::string& path) {
  httplib::Client client("127.0.0.1", port);
  return client.Get(path.c_str());
}

bool Accepts(const std::string& address, int port) {
  const int socketHandle = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, address.c_str(), &target.sin_addr);
  const bool connected = connect(socketHandle, reinterpret_cast<sockaddr*>(&target), sizeof(target)) == 0;
  close(socketHandle);
  return connected;
}

std::optional<std::string> NonLoopbackAddress() {
  ifaddrs* addresses = nullptr;
  if (getifaddrs(&addresses) != 0) return std::nullopt;
  std::optional<std::string> found;
  for (ifaddrs* entry = addresses; entry && !found; entry = entry->ifa_next) {
    if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(entry->ifa_addr)->sin_addr, text, sizeof(text));
    if (std::string(text).rfind("127.", 0) != 0) found = text;
  }
  freeifaddrs(addresses);
  return found;
}

}  // namespace

TEST(UpdateServer, ServesTheVersionFileAndEveryPackageAtItsPath) {
  FakeBuild build;
  UpdateServerProcess server({build.Folder(), std::nullopt});
  for (const char* path : {kVersionPath, kRecommendedPath, kFullPath, kMinPath}) {
    SCOPED_TRACE(path);
    const auto response = Get(server.Port(), path);
    ASSERT_TRUE(response);
    EXPECT_EQ(response->status, 200);
    EXPECT_EQ(response->body, build.Content(path));
    EXPECT_EQ(response->get_header_value("Content-Length"), std::to_string(build.Content(path).size()));
  }
}

TEST(UpdateServer, ServesAnotherVersionTextWhenToldTo) {
  FakeBuild build;
  build.Remove(kVersionPath);
  UpdateServerProcess server({build.Folder(), std::string("99.1.2.3")});
  const auto version = Get(server.Port(), kVersionPath);
  ASSERT_TRUE(version);
  EXPECT_EQ(version->body, "99.1.2.3\n");
  const auto package = Get(server.Port(), kMinPath);
  ASSERT_TRUE(package);
  EXPECT_EQ(package->body, "min package");
}

TEST(UpdateServer, AnswersEveryOtherPathWithNotFound) {
  FakeBuild build;
  UpdateServerProcess server({build.Folder(), std::nullopt});
  for (const char* path : {"/", "/Kovo3Plugin/master/win32/", "/Kovo3Plugin/master/min/win32/version.txt",
                           "/Kovo3Plugin/master/win32/../../../../../../etc/passwd",
                           "/Kovo3Plugin/master/win32/kovo3plugin-setup-min.msi"}) {
    const auto response = Get(server.Port(), path);
    ASSERT_TRUE(response) << path;
    EXPECT_EQ(response->status, 404) << path;
  }
}

TEST(UpdateServer, RefusesToStartWithoutThePackages) {
  FakeBuild build;
  build.Remove(kMinPath);
  try {
    UpdateServerProcess server({build.Folder(), std::nullopt});
    FAIL() << "the server started without the min package";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("kovo3plugin-setup-min.msi"), std::string::npos) << error.what();
  }
}

TEST(UpdateServer, ListensOnLoopbackOnlyAndEndsWithItsProcess) {
  FakeBuild build;
  int port = 0;
  {
    UpdateServerProcess server({build.Folder(), std::nullopt});
    port = server.Port();
    EXPECT_TRUE(Accepts("127.0.0.1", port));
    if (const auto address = NonLoopbackAddress()) {
      EXPECT_FALSE(Accepts(*address, port)) << *address;
    }
  }
  EXPECT_FALSE(Accepts("127.0.0.1", port));
}
