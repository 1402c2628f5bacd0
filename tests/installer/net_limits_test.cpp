// The time limits of the two downloads, against servers on 127.0.0.1 that
// never answer: one that accepts no connection (a black hole), one that stays
// silent after the request, one that stops after the response headers or in
// the middle of the body, and one that never finishes. Natively and under Wine.
#include <gtest/gtest.h>
#include <kovo-ui-imgui/events/event_queuer.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "installer/controller/installer_engine.h"
#include "installer/error_catalogue.h"
#include "installer/outside_components.h"
#include "installer/system_services.h"
#include "installer/text_conversion.h"
#include "support/fake_system_services.h"
#include "support/loopback_http_server.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
namespace ui = kovo::desktop::ui::imgui;
namespace installer = kovo::plugin::web::installer;
using installer::DownloadLimits;
using installer::InstallTypes;
using installer::PageStage;
using kovo::testing::LoopbackHttpServer;
using std::chrono::milliseconds;
using std::chrono::seconds;
using Clock = std::chrono::steady_clock;

constexpr char kVersionPath[] = "/Kovo3Plugin/master/win32/version.txt";
constexpr char kRecommendedPackagePath[] = "/Kovo3Plugin/master/win32/kovo3plugin-setup.msi";
constexpr char kOldContent[] = "an older file that must survive";

// Long enough for every limit the tests wait for; the server's end closes
// whatever is still stalled.
constexpr double kServerStallSeconds = 30.0;

// Shortened limits, so that each case waits a second or two.
constexpr DownloadLimits kShortVersionLimits{milliseconds(1000), milliseconds(1500),
                                             milliseconds(3000)};
constexpr DownloadLimits kShortPackageLimits{milliseconds(1000), milliseconds(2000),
                                             milliseconds::zero()};

// A limit ended the wait when the wait took at least nearly the limit (the
// system may end a wait a clock tick early) and not much more (a loaded
// machine, Wine's start-up of the first connection).
constexpr milliseconds kEarly{100};
constexpr milliseconds kLate{2000};

milliseconds Since(Clock::time_point start) {
  return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
}

// The figures go into the test's output and its XML report.
void Report(const std::string& what, milliseconds measured) {
  std::cout << "[ measured ] " << what << ": " << measured.count() << " ms" << std::endl;
  ::testing::Test::RecordProperty(what, std::to_string(measured.count()) + " ms");
}

LoopbackHttpServer::Options StallingServer(std::vector<std::string> routes = {}) {
  LoopbackHttpServer::Options options;
  options.stallSeconds = kServerStallSeconds;
  options.routes = std::move(routes);
  options.blackhole = true;
  return options;
}

// ============================================================================
// The shipped limits
// ============================================================================

TEST(ShippedDownloadLimits, AreWhatTheirCommentSays) {
  // The version check freezes the window: all in all about 15 s.
  EXPECT_EQ(installer::kVersionCheckLimits.connect, seconds(10));
  EXPECT_EQ(installer::kVersionCheckLimits.read, seconds(5));
  EXPECT_EQ(installer::kVersionCheckLimits.total, seconds(15));
  EXPECT_LE(installer::kVersionCheckLimits.connect + installer::kVersionCheckLimits.read,
            installer::kVersionCheckLimits.total)
      << "a connect at its limit still leaves the answer a full read limit";
  // Both of Windows' SYN retries (after 3 s and 9 s) fit into the connect limit.
  EXPECT_GT(installer::kVersionCheckLimits.connect, seconds(9));

  // The package download: a minute of silence, no total limit.
  EXPECT_EQ(installer::kPackageDownloadLimits.connect, seconds(20));
  EXPECT_EQ(installer::kPackageDownloadLimits.read, seconds(60));
  EXPECT_EQ(installer::kPackageDownloadLimits.total, milliseconds::zero());

  // An engine uses them unless told otherwise.
  const installer::UpdateServer server;
  EXPECT_EQ(server.versionCheckLimits.connect, installer::kVersionCheckLimits.connect);
  EXPECT_EQ(server.versionCheckLimits.read, installer::kVersionCheckLimits.read);
  EXPECT_EQ(server.versionCheckLimits.total, installer::kVersionCheckLimits.total);
  EXPECT_EQ(server.packageLimits.connect, installer::kPackageDownloadLimits.connect);
  EXPECT_EQ(server.packageLimits.read, installer::kPackageDownloadLimits.read);
  EXPECT_EQ(server.packageLimits.total, installer::kPackageDownloadLimits.total);
}

// ============================================================================
// Fixture: an engine on a computer that passes every check before the
// version download (the scripted system), with a server of the test's own
// ============================================================================

class NetLimits : public ::testing::Test {
 protected:
  NetLimits()
      : scope_(system_),
        model_(ui::EventQueuer(queue_, events_)),
        workingFolder_(temp_.Path() / "KovoPlugin.Installer"),
        engine_(model_, workingFolder_.wstring()) {
    const std::uint64_t freeBytes = std::uint64_t{100000} << 20;
    system_.disks[L"C:"] = installer::SpaceInfo{freeBytes * 2, freeBytes, freeBytes / 2};
    fs::create_directories(workingFolder_);
  }

  void UseServer(int port, const DownloadLimits& versionLimits,
                 const DownloadLimits& packageLimits) {
    engine_.SetUpdateServer({LoopbackHttpServer::kHost, port, versionLimits, packageLimits});
  }

  installer::PageData& Data() { return const_cast<installer::PageData&>(model_.Data()); }
  fs::path Package() const { return workingFolder_ / "kovo3plugin-setup.msi"; }
  bool TemporaryFileLeft() const {
    for (const auto& entry : fs::directory_iterator(workingFolder_)) {
      if (entry.path().extension() == ".part") return true;
    }
    return false;
  }

  // Runs the package download on a thread of its own, as the installation
  // worker does.
  std::future<installer::Result> DownloadPackageInBackground() {
    return std::async(std::launch::async, [this] { return engine_.DownloadInstallPackage(); });
  }

  kovo::testing::TempFolder temp_;
  kovo::testing::LogCapture log_;
  kovo::testing::FakeSystemServices system_;
  installer::ScopedSystemServices scope_;
  ui::EventSystem events_;
  ui::SafeQueue queue_;
  installer::PageModel model_;
  fs::path workingFolder_;
  installer::InstallerEngine engine_;
};

// ============================================================================
// The version check: the failure page within its limits
// ============================================================================

struct VersionCheckCase {
  const char* name;
  const char* serves;  // what the version file's path is answered with; null: the black hole
  milliseconds limit;  // the limit that is to end the check
  const char* logged;
};

void PrintTo(const VersionCheckCase& scenario, std::ostream* out) { *out << scenario.name; }

class VersionCheckLimit : public NetLimits,
                          public ::testing::WithParamInterface<VersionCheckCase> {};

TEST_P(VersionCheckLimit, EndsOnTheFailurePageWhenItsLimitRunsOut) {
  const auto& scenario = GetParam();
  std::vector<std::string> routes;
  if (scenario.serves) routes.push_back(std::string(kVersionPath) + "=" + scenario.serves);
  LoopbackHttpServer server(StallingServer(routes));
  const int port = scenario.serves ? server.Port() : server.BlackholePort();
  ASSERT_NE(port, 0);
  UseServer(port, kShortVersionLimits, kShortPackageLimits);

  const auto started = Clock::now();
  const installer::Result result = engine_.EnvironmentProbe();
  const milliseconds took = Since(started);
  Report(std::string("version check, ") + scenario.name, took);

  EXPECT_EQ(result, installer::kResultAbort);
  EXPECT_EQ(Data().errorKind, installer::kVersionCheckFailed);
  EXPECT_EQ(Data().stage, PageStage::Failure);
  EXPECT_FALSE(fs::exists(workingFolder_ / "version.txt"));
  EXPECT_FALSE(TemporaryFileLeft());
  EXPECT_GE(took, scenario.limit - kEarly) << "something else than the limit ended the check";
  EXPECT_LE(took, scenario.limit + kLate);
  EXPECT_TRUE(log_.Contains(scenario.logged)) << log_.RawText();
}

INSTANTIATE_TEST_SUITE_P(
    Servers, VersionCheckLimit,
    ::testing::Values(VersionCheckCase{"NoConnectionAccepted", nullptr, kShortVersionLimits.connect,
                                       "failed, ended by the connect limit: connection timed out"},
                      VersionCheckCase{"SilentAfterTheRequest", "/silent", kShortVersionLimits.read,
                                       "failed, ended by the read limit: read timed out"},
                      VersionCheckCase{"SilentAfterTheHeaders", "/headers-stall/64",
                                       kShortVersionLimits.read,
                                       "failed, ended by the read limit: read timed out"},
                      VersionCheckCase{"NeverEndingBody", "/slow/2000000000",
                                       kShortVersionLimits.total,
                                       "failed, ended by the total limit: timed out"}),
    [](const auto& info) { return std::string(info.param.name); });

// The promise to the user, with the limits the program ships with: a server
// that swallows the connection attempt gives the failure page in 15 s at most.
TEST_F(NetLimits, WithTheShippedLimitsAServerThatSwallowsPacketsFailsTheCheckWithinFifteenSeconds) {
  LoopbackHttpServer server(StallingServer());
  engine_.SetUpdateServer({LoopbackHttpServer::kHost, server.BlackholePort()});

  const auto started = Clock::now();
  EXPECT_EQ(engine_.EnvironmentProbe(), installer::kResultAbort);
  const milliseconds took = Since(started);
  Report("version check, shipped limits, no connection accepted", took);

  EXPECT_EQ(Data().errorKind, installer::kVersionCheckFailed);
  EXPECT_EQ(Data().stage, PageStage::Failure);
  EXPECT_GE(took, installer::kVersionCheckLimits.connect - kEarly);
  EXPECT_LE(took, installer::kVersionCheckLimits.total);
  EXPECT_TRUE(log_.Contains("ended by the connect limit")) << log_.RawText();
}

// ============================================================================
// The package download: a failure (the page's kind 7) after its limits
// ============================================================================

struct PackageLimitCase {
  const char* name;
  const char* serves;      // what the package's path is answered with; null: the black hole
  milliseconds limit;      // the limit that is to end the download
  float progressAtTheEnd;  // the bar stays where the body got to
  const char* logged;
};

void PrintTo(const PackageLimitCase& scenario, std::ostream* out) { *out << scenario.name; }

class PackageDownloadLimit : public NetLimits,
                             public ::testing::WithParamInterface<PackageLimitCase> {};

TEST_P(PackageDownloadLimit, FailsWithoutACancelWhenItsLimitRunsOut) {
  const auto& scenario = GetParam();
  std::vector<std::string> routes;
  if (scenario.serves)
    routes.push_back(std::string(kRecommendedPackagePath) + "=" + scenario.serves);
  LoopbackHttpServer server(StallingServer(routes));
  const int port = scenario.serves ? server.Port() : server.BlackholePort();
  ASSERT_NE(port, 0);
  UseServer(port, kShortVersionLimits, kShortPackageLimits);
  kovo::testing::WriteFile(Package(), kOldContent);
  Data().installType = InstallTypes::Recommended;
  Data().progress = 0.0f;

  const auto started = Clock::now();
  const installer::Result result = engine_.DownloadInstallPackage();
  const milliseconds took = Since(started);
  Report(std::string("package download, ") + scenario.name, took);

  // A failed download with proceed still set is what the worker shows as kind 7.
  EXPECT_EQ(result, installer::kResultFail);
  EXPECT_TRUE(Data().proceed);
  EXPECT_FLOAT_EQ(Data().progress, scenario.progressAtTheEnd);
  EXPECT_EQ(kovo::testing::ReadFile(Package()), kOldContent);
  EXPECT_FALSE(TemporaryFileLeft());
  EXPECT_GE(took, scenario.limit - kEarly) << "something else than the limit ended the download";
  EXPECT_LE(took, scenario.limit + kLate);
  EXPECT_TRUE(log_.Contains(scenario.logged)) << log_.RawText();
}

INSTANTIATE_TEST_SUITE_P(
    Servers, PackageDownloadLimit,
    ::testing::Values(PackageLimitCase{"NoConnectionAccepted", nullptr, kShortPackageLimits.connect,
                                       0.0f, "failed, ended by the connect limit"},
                      PackageLimitCase{"SilentAfterTheHeaders", "/headers-stall/4000000",
                                       kShortPackageLimits.read, 0.0f,
                                       "failed, ended by the read limit"},
                      PackageLimitCase{"SilentInTheMiddleOfTheBody", "/stall/4000000",
                                       kShortPackageLimits.read, 0.5f,
                                       "failed, ended by the read limit"}),
    [](const auto& info) { return std::string(info.param.name); });

// ============================================================================
// Cancel: honoured within a second in every phase, with the shipped limits
// (a minute of silence) in force
// ============================================================================

struct CancelCase {
  const char* name;
  const char* serves;  // what the package's path is answered with; null: the black hole
  bool bodyBegun;      // the server sends half the body before it stalls
};

void PrintTo(const CancelCase& scenario, std::ostream* out) { *out << scenario.name; }

class CancelWhileNothingArrives : public NetLimits,
                                  public ::testing::WithParamInterface<CancelCase> {};

TEST_P(CancelWhileNothingArrives, EndsTheDownloadWithinASecond) {
  const auto& scenario = GetParam();
  std::vector<std::string> routes;
  if (scenario.serves)
    routes.push_back(std::string(kRecommendedPackagePath) + "=" + scenario.serves);
  LoopbackHttpServer server(StallingServer(routes));
  const int port = scenario.serves ? server.Port() : server.BlackholePort();
  ASSERT_NE(port, 0);
  engine_.SetUpdateServer({LoopbackHttpServer::kHost, port});  // the shipped limits
  kovo::testing::WriteFile(Package(), kOldContent);
  Data().installType = InstallTypes::Recommended;
  Data().progress = 0.0f;

  auto download = DownloadPackageInBackground();
  if (scenario.bodyBegun) {
    ASSERT_TRUE(kovo::testing::WaitUntil([&] { return Data().progress >= 0.5f; }, seconds(10)));
  } else if (scenario.serves) {
    ASSERT_TRUE(kovo::testing::WaitUntil([&] {
      const auto asked = server.Requests();
      return !asked.empty() && asked.back() == kRecommendedPackagePath;
    }));
  }
  // Well into the silence (or the connection attempt).
  std::this_thread::sleep_for(milliseconds(700));
  ASSERT_EQ(download.wait_for(milliseconds::zero()), std::future_status::timeout)
      << "ended before the cancel";

  const auto cancelled = Clock::now();
  Data().proceed = false;  // what the confirmed cancel does
  ASSERT_EQ(download.wait_for(seconds(5)), std::future_status::ready)
      << "the cancel was not honoured";
  const milliseconds took = Since(cancelled);
  Report(std::string("cancel, ") + scenario.name, took);

  EXPECT_EQ(download.get(), installer::kResultAbort);
  EXPECT_LT(took, seconds(1));
  EXPECT_EQ(kovo::testing::ReadFile(Package()), kOldContent);
  EXPECT_FALSE(TemporaryFileLeft());
  EXPECT_TRUE(log_.Contains("ended by the cancel")) << log_.RawText();

  // The next download of the same engine is not held up by the abandoned one.
  LoopbackHttpServer healthy;
  engine_.SetUpdateServer({LoopbackHttpServer::kHost, healthy.Port()});
  EXPECT_EQ(engine_.DownloadInstallPackage(), installer::kResultOk);
  EXPECT_EQ(kovo::testing::ReadFile(Package()), std::string("served:") + kRecommendedPackagePath);
}

INSTANTIATE_TEST_SUITE_P(
    Phases, CancelWhileNothingArrives,
    ::testing::Values(CancelCase{"WhileConnecting", nullptr, false},
                      CancelCase{"BeforeTheHeaders", "/silent", false},
                      CancelCase{"AfterTheHeaders", "/headers-stall/4000000", false},
                      CancelCase{"InTheMiddleOfTheBody", "/stall/4000000", true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
