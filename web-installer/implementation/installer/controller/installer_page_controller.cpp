#include "installer/controller/installer_page_controller.h"

#include <kovo-ui-imgui/events/system_events.h>
#include <kovo-ui-imgui/logger/logger.h>

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

#include "installer/controller/install_outcome.h"
#include "installer/controller/working_files.h"
#include "installer/error_catalogue.h"
#include "installer/install_history.h"
#include "installer/install_type_table.h"
#include "installer/outside_components.h"
#include "installer/program_options.h"
#include "installer/system_services.h"
#include "installer/text_conversion.h"
#include "installer/views/installer_page_view.h"

namespace kovo::plugin::web::installer {

namespace ui = desktop::ui::imgui;
using ui::Events::System::RedrawUiEvent;

// ============================================================================
// What the controller shares with its workers
// ============================================================================

// Hands the page's redraw requests on to the application's event system for
// as long as the controller lives. The application's event system dies with
// the application, possibly while a worker still runs; Close waits for the
// requests under way and lets later ones fall away. Close must not be called
// from inside a request it forwards.
class RedrawGate {
 public:
  explicit RedrawGate(ui::EventSystem& target) : target_(&target) {}

  void Forward() {
    ui::EventSystem* target = nullptr;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!target_) return;
      target = target_;
      ++underWay_;
    }
    struct Done {
      RedrawGate* gate;
      ~Done() {
        std::lock_guard<std::mutex> lock(gate->mutex_);
        if (--gate->underWay_ == 0) gate->idle_.notify_all();
      }
    } done{this};
    target->Dispatch(RedrawUiEvent{});
  }

  void Close() {
    std::unique_lock<std::mutex> lock(mutex_);
    target_ = nullptr;
    idle_.wait(lock, [this] { return underWay_ == 0; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable idle_;
  ui::EventSystem* target_;
  int underWay_ = 0;
};

struct InstallSession {
  InstallSession(ui::AppContext& context, std::wstring workingFolder, UpdateServer server)
      : gate(context.events),
        model(ui::EventQueuer(context.queue, context.events), redraw),
        engine(model, std::move(workingFolder)) {
    redraw.ExcludeFromLog<RedrawUiEvent>();
    redraw.Connect<RedrawUiEvent>([this](const RedrawUiEvent&) { gate.Forward(); });
    engine.SetUpdateServer(std::move(server));
  }

  // Every release of a page access asks for a redraw here first.
  ui::EventSystem redraw;
  RedrawGate gate;
  PageModel model;
  InstallerEngine engine;
};

namespace {

std::wstring MakeWorkingFolder() {
  return Services().ExpandEnvironment(L"%TMP%") + kPathSeparator + L"KovoPlugin.Installer";
}

}  // namespace

// ============================================================================
// The installation worker
// ============================================================================

namespace {

void Apply(PageData& page, const InstallOutcome& outcome) {
  // The kind first: a page that sees the new stage finds its kind in place.
  page.errorKind = outcome.errorKind;
  page.stage = outcome.stage;
}

void RecordResult(const InstallOutcome& outcome) {
  InstallHistory::Instance().SetResult(ToWide(outcome.historyResult));
}

// An error nobody foresaw ends the run as a failure the log cannot explain,
// rather than the program.
void EndUnexpectedly(PageData& page) {
  const InstallOutcome failed{PageStage::Failure, kInstallFailed,
                              "ERROR: " + std::to_string(kInstallFailed)};
  RecordResult(failed);
  Apply(page, failed);
}

// One installation run, on its own detached thread. Holds one page access
// for its whole length, whose release asks for the final redraw.
void RunInstallation(const std::shared_ptr<InstallSession>& session) {
  InstallerEngine& engine = session->engine;
  auto access = session->model.Access();
  PageData& page = *access;
  try {
    page.phase = InstallPhase::Downloading;
    const Result download = engine.DownloadInstallPackage();
    if (const auto outcome = OutcomeOfDownload(download, page.proceed)) {
      auto end = session->model.Access();
      Apply(*end, *outcome);
      LOG_INFO("Installation ended at the download: result " << download << ", error kind "
                                                             << outcome->errorKind);
      return;
    }

    page.phase = InstallPhase::Installing;
    // A package its publisher did not sign never reaches msiexec, and no
    // installed copy is removed for it: the check's refusal is kPackageDamaged,
    // which the outcome maps as msiexec's own "package cannot be opened".
    const Result check = engine.VerifyPackagePublisher();
    const Result exitCode = check != kResultOk ? check : engine.RemoveAndInstall();
    const InstallOutcome outcome = OutcomeOfInstall(exitCode, [&page, &engine] {
      page.phase = InstallPhase::AnalysingLogs;
      return engine.AnalyzeMsiLog();
    });
    RecordResult(outcome);
    Apply(page, outcome);
    LOG_INFO("Installation ended: exit code " << exitCode << ", error kind " << outcome.errorKind);
  } catch (const std::exception& error) {
    LOG_ERROR("Installation failed: " << error.what());
    EndUnexpectedly(page);
  } catch (...) {
    LOG_ERROR("Installation failed");
    EndUnexpectedly(page);
  }
}

}  // namespace

// ============================================================================
// Construction
// ============================================================================

InstallerPageController::InstallerPageController(ui::AppContext& context)
    : InstallerPageController(context, UpdateServer{}) {}

InstallerPageController::InstallerPageController(ui::AppContext& context, UpdateServer server)
    : context_(&context),
      connections_(context.events),
      session_(std::make_shared<InstallSession>(context, MakeWorkingFolder(), std::move(server))),
      view_(std::make_unique<InstallerPageView>(context, session_->model)),
      workingFolder_(session_->engine.WorkingFolder()) {
  {
    auto access = Access();
    MessageBoxInfo& close = access->closeBox;
    close.id = "Подтверждение завершения";
    close.title = "Вы действительно хотите завершить?";
    close.message = "Процесс установки будет остановлен";
    close.yes = "Да";
    close.no = "Нет";
    close.extra.reset();
    MessageBoxInfo& cancel = access->cancelBox;
    cancel.id = "Подтверждение отмены";
    cancel.title = "Вы действительно хотите отменить?";
    cancel.message = "Процесс установки будет остановлен";
    cancel.yes = "Да";
    cancel.no = "Нет";
    cancel.extra.reset();
  }

  ui::EventSystem& events = context.events;
  using Self = InstallerPageController;
  connections_.Add(events.Connect(&Self::OnCloseButtonClicked, this));
  connections_.Add(events.Connect(&Self::OnCloseRefused, this));
  connections_.Add(events.Forward<CloseDecision<true>, Events::UIEvents::ShouldQuit>());
  connections_.Add(events.Connect(&Self::OnCancelClicked, this));
  connections_.Add(events.Connect(&Self::OnCancelConfirmed, this));
  connections_.Add(events.Connect(&Self::OnCancelRefused, this));
  connections_.Add(events.Connect(&Self::OnStartClicked, this));
  connections_.Add(events.Connect(&Self::OnChoicePath, this));
  connections_.Add(events.Connect(&Self::OnOpenDiagnostic, this));
  connections_.Add(events.Connect(&Self::OnOpenHelp, this));
  connections_.Add(events.Connect(&Self::OnOpenVideo, this));
  connections_.Add(events.Connect(&Self::OnInstallNewConfig, this));
  connections_.Add(events.Connect(&Self::OnRunPlugin, this));

  LOG_DEBUG("Working folder: " << ToNarrow(workingFolder_));
  if (ProgramOptions::Instance().CheckEnvironment()) Engine().EnvironmentProbe();
}

InstallerPageController::~InstallerPageController() {
  // A worker may outlive the controller and the application: its redraw
  // requests stop here. What it works on it keeps alive itself.
  session_->gate.Close();
  workingFolder_.clear();
  view_.reset();
  session_.reset();
}

bool InstallerPageController::Update() { return true; }

void InstallerPageController::Draw() {
  if (view_) view_->Draw();
}

const PageData& InstallerPageController::Data() const { return session_->model.Data(); }

std::weak_ptr<const void> InstallerPageController::SharedState() const { return session_; }

ModelAccess InstallerPageController::Access() { return session_->model.Access(); }

InstallerEngine& InstallerPageController::Engine() { return session_->engine; }

// ============================================================================
// Handlers (logic thread)
// ============================================================================

void InstallerPageController::OnCloseButtonClicked(const CloseButtonClickedEvent&) {
  auto access = Access();
  const PageStage stage = access->stage;
  if (stage == PageStage::Success || stage == PageStage::Failure) {
    context_->events.Dispatch(CloseDecision<true>{});
    return;
  }
  access->closeBox.visible = true;
}

void InstallerPageController::OnCloseRefused(const CloseDecision<false>&) {
  Access()->closeBox.visible = false;
}

void InstallerPageController::OnCancelClicked(const CancelClickedEvent&) {
  Access()->cancelBox.visible = true;
}

void InstallerPageController::OnCancelConfirmed(const CancelDecision<true>&) {
  Access()->cancelBox.visible = false;
  // Stops a download under way; a running msiexec goes on to its end.
  Access()->proceed = false;
}

void InstallerPageController::OnCancelRefused(const CancelDecision<false>&) {
  Access()->cancelBox.visible = false;
}

void InstallerPageController::OnChoicePath(const ChoicePathEvent& event) {
  {
    auto access = Access();
    // The worker reads the page's choices while it runs.
    if (access->stage == PageStage::Progress) {
      LOG_WARN("Install folder chosen during an installation; ignored");
      return;
    }
    access->installPath = event.path;
  }
  Engine().EnvironmentProbe();
}

void InstallerPageController::OnStartClicked(const StartClickedEvent& event) {
  auto access = Access();
  // A second start (a repeated click queued behind the first) would run two
  // installations over the same files.
  if (access->stage != PageStage::Options) {
    LOG_WARN("Start of an installation outside the options page; ignored");
    return;
  }
  const auto type = InstallTypeTable.find(event.installType);
  InstallHistory& history = InstallHistory::Instance();
  history.SetInstallType(type != InstallTypeTable.end() ? FromNarrow(type->second.name)
                                                        : std::wstring());
  // A result of an earlier run belongs to that run's install type.
  history.SetResult(std::wstring());

  PageData& page = *access;
  page.installPath = event.path;
  page.installType = event.installType;
  page.components = event.components;
  page.autoRun = event.autoRun;
  page.autoRunType = event.autoRunType;
  page.desktopShortcut = event.desktopShortcut;
  StartInstall();
}

void InstallerPageController::StartInstall() {
  auto access = Access();
  access->stage = PageStage::Progress;
  // The download moves it from its first percent on; an earlier run's value
  // is not this run's.
  access->progress = 0.0f;
  try {
    std::thread(RunInstallation, session_).detach();
  } catch (const std::exception& error) {
    LOG_ERROR("The installation could not be started: " << error.what());
    EndUnexpectedly(*access);
  }
}

void InstallerPageController::OnOpenDiagnostic(const OpenDiagnosticEvent&) {
  Services().OpenUrl(OnlinePortalAddress(kOnlinePortalCheckPath));
}

void InstallerPageController::OnOpenHelp(const OpenHelpEvent&) {
  Services().OpenUrl(HelpPortalAddress());
}

void InstallerPageController::OnOpenVideo(const OpenVideoEvent&) {
  Services().OpenUrl(HelpPortalAddress());
}

void InstallerPageController::OnInstallNewConfig(const InstallNewConfigEvent&) {
  auto access = Access();
  if (access->stage == PageStage::Progress) {
    LOG_WARN("Reinstall asked for during an installation; ignored");
    return;
  }
  access->stage = PageStage::Options;
  access->willInstall = true;
  access->reinstall = true;
}

void InstallerPageController::OnRunPlugin(const RunPluginEvent&) {
  if (Data().stage == PageStage::Progress) {
    LOG_WARN("Plugin start asked for during an installation; ignored");
    return;
  }
  Engine().StartPlugin(ui::EventQueuer(context_->queue, context_->events));
}

}  // namespace kovo::plugin::web::installer
