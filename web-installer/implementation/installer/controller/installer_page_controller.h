// The installer's one page: its state, its view, the reactions to everything
// the page reports, and the installation worker.
//
// Threads: built, destroyed and every handler run on the logic thread (under
// the application mutex); Draw on the GUI thread (under the same mutex).
// StartClickedEvent starts a detached worker (download, msiexec runs, log
// analysis) that takes no lock. The worker shares the page state, the engine
// and the redraw path with the controller through shared ownership: the
// controller may be destroyed (the program ends during an installation)
// while the worker runs; from then on the worker's redraw requests go
// nowhere and it touches nothing the controller or the application owned.
// Failure: nothing is reported in words; failures set PageData.errorKind and
// PageData.stage, which the pages show.
#pragma once

#include <kovo-ui-imgui/application/app_context.h>
#include <kovo-ui-imgui/application/controller.h>
#include <kovo-ui-imgui/events/event_system.h>

#include <memory>
#include <string>

#include "installer/controller/installer_engine.h"
#include "installer/page_events.h"
#include "installer/page_model.h"

namespace kovo::plugin::web::installer {

class InstallerPageView;
struct InstallSession;

class InstallerPageController : public desktop::ui::imgui::IController {
 public:
  // Runs the environment probe at once unless the CheckEnvironment switch is off.
  explicit InstallerPageController(desktop::ui::imgui::AppContext& context);
  // The same against another update server (tests).
  InstallerPageController(desktop::ui::imgui::AppContext& context, UpdateServer server);
  ~InstallerPageController() override;
  InstallerPageController(const InstallerPageController&) = delete;
  InstallerPageController& operator=(const InstallerPageController&) = delete;

  bool Update() override;
  void Draw() override;

  // For tests and the program: the state the page shows, and where the
  // installer's temporary files go.
  const PageData& Data() const;
  const std::wstring& WorkingFolder() const { return workingFolder_; }
  // Expires once the controller and every worker have let go of what they
  // share; a test waits on it to know that no worker runs any more.
  std::weak_ptr<const void> SharedState() const;

 private:
  using CloseButtonClickedEvent = Events::InstallPageView::CloseButtonClickedEvent;
  template <bool Yes>
  using CloseDecision = Events::InstallPageView::CloseDecision<Yes>;
  using CancelClickedEvent = Events::InstallPageView::CancelClickedEvent;
  template <bool Yes>
  using CancelDecision = Events::InstallPageView::CancelDecision<Yes>;
  using ChoicePathEvent = Events::InstallPageView::ChoicePathEvent;
  using StartClickedEvent = Events::InstallPageView::StartClickedEvent;
  using OpenDiagnosticEvent = Events::InstallPageView::OpenDiagnosticEvent;
  using OpenHelpEvent = Events::InstallPageView::OpenHelpEvent;
  using OpenVideoEvent = Events::InstallPageView::OpenVideoEvent;
  using InstallNewConfigEvent = Events::InstallPageView::InstallNewConfigEvent;
  using RunPluginEvent = Events::InstallPageView::RunPluginEvent;

  void OnCloseButtonClicked(const CloseButtonClickedEvent&);
  void OnCloseRefused(const CloseDecision<false>&);
  void OnCancelClicked(const CancelClickedEvent&);
  void OnCancelConfirmed(const CancelDecision<true>&);
  void OnCancelRefused(const CancelDecision<false>&);
  void OnChoicePath(const ChoicePathEvent& event);
  void OnStartClicked(const StartClickedEvent& event);
  void OnOpenDiagnostic(const OpenDiagnosticEvent&);
  void OnOpenHelp(const OpenHelpEvent&);
  void OnOpenVideo(const OpenVideoEvent&);
  void OnInstallNewConfig(const InstallNewConfigEvent&);
  void OnRunPlugin(const RunPluginEvent&);

  // Switches to the progress page and starts the worker.
  void StartInstall();

  ModelAccess Access();
  InstallerEngine& Engine();

  desktop::ui::imgui::AppContext* context_;
  desktop::ui::imgui::ConnectionHolder connections_;
  std::shared_ptr<InstallSession> session_;  // the page model, the engine and the redraw path
  std::unique_ptr<InstallerPageView> view_;
  std::wstring workingFolder_;
};

}  // namespace kovo::plugin::web::installer
