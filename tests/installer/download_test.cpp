// Downloads from a real HTTP server on 127.0.0.1, natively and under Wine.
#include <gtest/gtest.h>

#include <kovo-ui-imgui/events/system_events.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "installer/controller/installer_engine.h"
#include "installer/helper.h"
#include "installer/program_options.h"
#include "installer/text_conversion.h"
#include "support/loopback_http_server.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
namespace ui = kovo::desktop::ui::imgui;
namespace installer = kovo::plugin::web::installer;
using installer::InstallTypes;
using installer::kResultAbort;
using installer::kResultFail;
using installer::kResultOk;
using kovo::testing::LoopbackHttpServer;
using kovo::testing::PatternBytes;
using kovo::testing::ReadFile;
using kovo::testing::WaitUntil;
using kovo::testing::WriteFile;

constexpr char kOldContent[] = "an older file that must survive";

class DownloadTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = std::make_unique<LoopbackHttpServer>(); }
  static void TearDownTestSuite() { server_.reset(); }

  void SetUp() override {
    engine_.SetUpdateServer({LoopbackHttpServer::kHost, server_->Port()});
    events_.Connect<ui::Events::System::RedrawUiEvent>([this](const auto&) { ++redraws_; });
  }

  installer::PageData& Data() { return const_cast<installer::PageData&>(model_.Data()); }
  fs::path Target() const { return folder_.Path() / "version.txt"; }
  std::string TargetNarrow() const { return installer::ToNarrow(folder_.Path().wstring()) + "/version.txt"; }
  bool TemporaryFileLeft() const {
    for (const auto& entry : fs::directory_iterator(folder_.Path())) {
      if (entry.path().extension() == ".part") return true;
    }
    return false;
  }
  bool ServerWasAskedFor(const std::string& path) const {
    for (const auto& seen : server_->Requests()) {
      if (seen == path) return true;
    }
    return false;
  }

  // Runs a download on a thread of its own, as the installation worker does.
  std::future<installer::Result> DownloadInBackground(const std::string& serverPath) {
    return std::async(std::launch::async, [this, serverPath] { return engine_.DownloadToFile(serverPath, TargetNarrow()); });
  }

  static std::unique_ptr<LoopbackHttpServer> server_;
  ui::EventSystem events_;
  ui::SafeQueue queue_;
  installer::PageModel model_{ui::EventQueuer(queue_, events_)};
  kovo::testing::TempFolder folder_;
  installer::InstallerEngine engine_{model_, folder_.Path().wstring()};
  std::atomic<int> redraws_{0};
  kovo::testing::LogCapture log_;
};

std::unique_ptr<LoopbackHttpServer> DownloadTest::server_;

// ---------------------------------------------------------------------------
// Transfers that complete

struct CompleteCase {
  const char* name;
  std::string serverPath;
  std::string body;
  bool reportsProgress;  // only bodies with a length do
};

void PrintTo(const CompleteCase& scenario, std::ostream* out) { *out << scenario.serverPath; }

class CompleteDownload : public DownloadTest, public ::testing::WithParamInterface<CompleteCase> {};

TEST_P(CompleteDownload, ReplacesTheTargetWithTheWholeBody) {
  const auto& scenario = GetParam();
  WriteFile(Target(), kOldContent);
  Data().progress = 0.37f;
  Data().proceed = false;  // a cancel of an earlier download does not stop this one

  EXPECT_EQ(engine_.DownloadToFile(scenario.serverPath, TargetNarrow()), kResultOk);

  const std::string written = ReadFile(Target());
  EXPECT_EQ(written.size(), scenario.body.size());
  EXPECT_TRUE(written == scenario.body) << "the file differs from the body";
  EXPECT_FALSE(TemporaryFileLeft());
  EXPECT_FLOAT_EQ(Data().progress, scenario.reportsProgress ? 1.0f : 0.37f);
  EXPECT_TRUE(Data().proceed);
  EXPECT_EQ(redraws_, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, CompleteDownload,
    ::testing::Values(CompleteCase{"WithLength", "/body/300000", PatternBytes(0, 300000), true},
                      CompleteCase{"InOneBlock", "/body/200", PatternBytes(0, 200), true},
                      CompleteCase{"Empty", "/body/0", "", false},
                      CompleteCase{"Chunked", "/chunked/150000", PatternBytes(0, 150000), false},
                      CompleteCase{"EndedByClose", "/nolength/20000", PatternBytes(0, 20000), false},
                      CompleteCase{"AfterRedirects", "/redirect/3/body/5000", PatternBytes(0, 5000), true}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Transfers that fail: the result says so, the log says why, nothing is written

struct FailureCase {
  const char* name;
  std::string serverPath;  // empty: a port where nothing listens
  std::string logged;
};

void PrintTo(const FailureCase& scenario, std::ostream* out) { *out << scenario.name; }

class FailedDownload : public DownloadTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailedDownload, ReturnsFailureAndLeavesTheOldFileIntact) {
  const auto& scenario = GetParam();
  std::string serverPath = scenario.serverPath;
  if (serverPath.empty()) {
    engine_.SetUpdateServer({LoopbackHttpServer::kHost, server_->UnusedPort()});
    serverPath = "/body/10";
  }
  WriteFile(Target(), kOldContent);

  EXPECT_EQ(engine_.DownloadToFile(serverPath, TargetNarrow()), kResultFail);

  EXPECT_EQ(ReadFile(Target()), kOldContent);
  EXPECT_FALSE(TemporaryFileLeft());
  EXPECT_TRUE(Data().proceed);
  EXPECT_TRUE(log_.Contains(scenario.logged)) << log_.RawText();
}

INSTANTIATE_TEST_SUITE_P(
    Transfers, FailedDownload,
    ::testing::Values(FailureCase{"NotFound", "/status/404", "HTTP status 404"},
                      FailureCase{"ServerError", "/status/500", "HTTP status 500"},
                      FailureCase{"RedirectLoop", "/loop", "redirect loop"},
                      FailureCase{"RedirectToHttps", "/to-https", "to \"https://127.0.0.1:"},
                      FailureCase{"ErrorAfterRedirect", "/redirect/2/status/404", "HTTP status 404"},
                      FailureCase{"ResetMidBody", "/reset/400000", "connection dropped"},
                      FailureCase{"BodyShorterThanItsLength", "/short/400000", "connection dropped"},
                      FailureCase{"StallEndedByTheServer", "/stall/100000", "ended early"},
                      FailureCase{"ConnectionRefused", "", "cannot connect"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DownloadTest, AFailureLeavesNoFileWhereThereWasNone) {
  EXPECT_EQ(engine_.DownloadToFile("/status/404", TargetNarrow()), kResultFail);
  EXPECT_EQ(engine_.DownloadToFile("/short/1000", TargetNarrow()), kResultFail);
  EXPECT_FALSE(fs::exists(Target()));
  EXPECT_FALSE(TemporaryFileLeft());
}

TEST_F(DownloadTest, ATargetThatCannotBeCreatedFailsBeforeAskingTheServer) {
  const std::string target = installer::ToNarrow(folder_.Path().wstring()) + "/missing-folder/version.txt";
  EXPECT_EQ(engine_.DownloadToFile("/body/77", target), kResultFail);
  EXPECT_FALSE(ServerWasAskedFor("/body/77"));
  EXPECT_TRUE(log_.Contains("cannot create")) << log_.RawText();
}

TEST_F(DownloadTest, ASinkThatRefusesABlockEndsTheTransferAsAFailure) {
  std::atomic<bool> proceed{true};
  std::atomic<float> progress{0.0f};
  int blocks = 0;
  const auto outcome = installer::Helper::DownloadFile(LoopbackHttpServer::kHost, server_->Port(), "/body/500000",
                                                       &proceed, &progress, [&](const char*, std::size_t) {
                                                         return ++blocks < 2;
                                                       });
  EXPECT_EQ(outcome.end, installer::TransferEnd::Failed);
  EXPECT_EQ(blocks, 2);
  EXPECT_NE(outcome.failure.find("stored"), std::string::npos) << outcome.failure;
}

// ---------------------------------------------------------------------------
// Progress

TEST_F(DownloadTest, ProgressMovesInWholePercentsFromTheOldValueUpToOne) {
  std::atomic<bool> proceed{true};
  std::atomic<float> progress{0.5f};
  std::vector<float> seen;  // progress as each block arrives
  const auto outcome = installer::Helper::DownloadFile(
      LoopbackHttpServer::kHost, server_->Port(), "/body/12000000", &proceed, &progress,
      [&](const char*, std::size_t) {
        if (seen.empty() || seen.back() != progress) seen.push_back(progress);
        return true;
      });
  seen.push_back(progress);

  ASSERT_EQ(outcome.end, installer::TransferEnd::Complete);
  EXPECT_EQ(seen.front(), 0.5f) << "the old value stays until the first whole percent";
  EXPECT_EQ(seen.back(), 1.0f);
  EXPECT_LE(seen.size(), 101u);
  for (std::size_t i = 1; i < seen.size(); ++i) {
    const float hundredths = seen[i] * 100.0f;
    EXPECT_NEAR(hundredths, std::round(hundredths), 1e-3) << "not a whole percent: " << seen[i];
    EXPECT_GE(hundredths, 0.999f) << "0 % is never written";
    if (i > 1) {
      EXPECT_GT(seen[i], seen[i - 1]);
    }
  }
}

// ---------------------------------------------------------------------------
// Cancel

TEST_F(DownloadTest, CancelMidBodyAbortsAndLeavesTheOldFileIntact) {
  WriteFile(Target(), kOldContent);
  auto download = DownloadInBackground("/slow/8000000");
  ASSERT_TRUE(WaitUntil([&] { return Data().progress >= 0.02f; }, std::chrono::seconds(10)));
  const auto cancelled = std::chrono::steady_clock::now();
  Data().proceed = false;

  EXPECT_EQ(download.get(), kResultAbort);
  EXPECT_LT(std::chrono::steady_clock::now() - cancelled, std::chrono::seconds(2));
  EXPECT_EQ(ReadFile(Target()), kOldContent);
  EXPECT_FALSE(TemporaryFileLeft());
  EXPECT_LT(Data().progress, 0.5f);
}

TEST_F(DownloadTest, CancelBeforeTheHeadersStopsThereAndWritesNothing) {
  WriteFile(Target(), kOldContent);
  auto download = DownloadInBackground("/hold-headers/1500/300000");
  ASSERT_TRUE(WaitUntil([&] { return ServerWasAskedFor("/hold-headers/1500/300000"); }));
  Data().proceed = false;

  EXPECT_EQ(download.get(), kResultAbort);
  EXPECT_EQ(ReadFile(Target()), kOldContent);
  EXPECT_FALSE(TemporaryFileLeft());
  EXPECT_EQ(Data().progress, 0.0f);
  EXPECT_TRUE(log_.Contains("cancelled after 0 bytes")) << log_.RawText();
}

// ---------------------------------------------------------------------------
// The package of the chosen install type

class SkippedPackageDownload {
 public:
  SkippedPackageDownload() { installer::ProgramOptions::Instance().SetDownloadPackage(false); }
  ~SkippedPackageDownload() { installer::ProgramOptions::Instance().SetDownloadPackage(true); }
};

TEST_F(DownloadTest, EachInstallTypeFetchesItsPackageIntoTheWorkingFolder) {
  const struct {
    InstallTypes type;
    const char* serverPath;
  } cases[] = {
      {InstallTypes::Recommended, "/Kovo3Plugin/master/win32/kovo3plugin-setup.msi"},
      {InstallTypes::Full, "/Kovo3Plugin/master/win32/kovo3plugin-setup-full.msi"},
      {InstallTypes::Min, "/Kovo3Plugin/master/min/win32/kovo3plugin-setup-min.msi"},
      {InstallTypes::Custom, "/Kovo3Plugin/master/win32/kovo3plugin-setup-full.msi"},
  };
  for (const auto& scenario : cases) {
    SCOPED_TRACE(scenario.serverPath);
    Data().installType = scenario.type;
    EXPECT_EQ(engine_.DownloadInstallPackage(), kResultOk);
    EXPECT_EQ(ReadFile(folder_.Path() / "kovo3plugin-setup.msi"), std::string("served:") + scenario.serverPath);
  }
}

TEST_F(DownloadTest, WithThePackageDownloadSwitchedOffNothingIsFetched) {
  SkippedPackageDownload skipped;
  Data().progress = 0.42f;
  const auto asked = server_->Requests().size();

  EXPECT_EQ(engine_.DownloadInstallPackage(), kResultOk);

  EXPECT_EQ(server_->Requests().size(), asked);
  EXPECT_EQ(Data().progress, 0.42f);
  EXPECT_FALSE(fs::exists(folder_.Path() / "kovo3plugin-setup.msi"));
}

#ifdef _WIN32
TEST_F(DownloadTest, AWorkingFolderTheCodePageCannotNameStillGetsThePackage) {
  if (installer::ToNarrow(L"\u4e2d") != "?") GTEST_SKIP() << "the user's code page has this character";
  const fs::path unnamable = folder_.Path() / L"pkg-\u4e2d";
  fs::create_directory(unnamable);
  installer::InstallerEngine engine(model_, unnamable.wstring());
  engine.SetUpdateServer({LoopbackHttpServer::kHost, server_->Port()});

  // The file is opened through its wide path; only the log sees the "?".
  EXPECT_EQ(engine.DownloadInstallPackage(), kResultOk);
  EXPECT_TRUE(fs::exists(unnamable / "kovo3plugin-setup.msi"));
}
#endif

// ---------------------------------------------------------------------------
// Memory

#ifndef _WIN32
long PeakResidentKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

TEST_F(DownloadTest, MemoryStaysBoundedWhateverTheBodySize) {
  constexpr std::size_t kBodyBytes = 96u << 20;
  const long before = PeakResidentKb();
  ASSERT_EQ(engine_.DownloadToFile("/body/" + std::to_string(kBodyBytes), TargetNarrow()), kResultOk);
  EXPECT_EQ(fs::file_size(Target()), kBodyBytes);
  EXPECT_LT(PeakResidentKb() - before, 24 * 1024) << "the body was held in memory";
}
#endif

}  // namespace
