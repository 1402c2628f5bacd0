#include "pages/page_rig.h"

#include "installer/component_catalogue.h"
#include "translator/lang.h"

namespace kovo::testing {

namespace installer = plugin::web::installer;
namespace ev = installer::Events::InstallPageView;
namespace ui = desktop::ui::imgui;

namespace {

template <typename E>
void Record(ui::EventSystem& events, std::vector<std::string>& log, const char* name) {
  events.Connect<E>(std::function<void(const E&)>([&log, name](const E&) { log.push_back(name); }));
}

}  // namespace

PageRig::PageRig()
    : context_{events_, queue_, gui.Context()}, model_(ui::EventQueuer(queue_, events_)) {
  // Process-wide state the pages share: start every rig from the same one.
  installer::SetLanguage(installer::kLanguageRussian);
  for (auto& tick : installer::ComponentChecks()) tick.second = false;

  data_ = &*model_.Access();
  Record<ev::CloseButtonClickedEvent>(events_, events, "Close");
  Record<ev::CloseDecision<true>>(events_, events, "CloseYes");
  Record<ev::CloseDecision<false>>(events_, events, "CloseNo");
  Record<ev::CancelClickedEvent>(events_, events, "Cancel");
  Record<ev::CancelDecision<true>>(events_, events, "CancelYes");
  Record<ev::CancelDecision<false>>(events_, events, "CancelNo");
  Record<ev::OpenDiagnosticEvent>(events_, events, "Diagnostic");
  Record<ev::OpenHelpEvent>(events_, events, "Help");
  Record<ev::OpenVideoEvent>(events_, events, "Video");
  Record<ev::InstallNewConfigEvent>(events_, events, "Reinstall");
  Record<ev::RunPluginEvent>(events_, events, "RunPlugin");
  events_.Connect<ev::StartClickedEvent>(
      std::function<void(const ev::StartClickedEvent&)>([this](const ev::StartClickedEvent& e) {
        events.push_back("Start");
        start = e;
      }));
  events_.Connect<ev::ChoicePathEvent>(
      std::function<void(const ev::ChoicePathEvent&)>([this](const ev::ChoicePathEvent& e) {
        events.push_back("ChoicePath");
        chosenPaths.push_back(e.path);
      }));

  installer::PageOsCalls calls;
  calls.openUrl = [this](const std::string& address) { openedUrls.push_back(address); };
  calls.pickFolder = [this](std::string& folder, ui::NativeWindowHandle) {
    pickerStartFolders.push_back(folder);
    if (!pickerAnswer) return false;
    folder = *pickerAnswer;
    return true;
  };
  os_calls_ = std::make_unique<installer::ScopedPageOsCalls>(std::move(calls));
  view_ = std::make_unique<installer::InstallerPageView>(context_, model_);
}

PageRig::~PageRig() {
  view_.reset();
  os_calls_.reset();
  installer::SetLanguage(installer::kLanguageRussian);
}

void PageRig::Set(const std::function<void(installer::PageData&)>& change) { change(*data_); }

void PageRig::Drain() {
  for (auto& closure : queue_.TakeAll()) closure();
}

const ui::FrameReport& PageRig::Frame() {
  gui.Frame([this] { view_->Draw(); });
  Drain();
  return gui.LastFrame();
}

const ui::FrameReport& PageRig::Frames(int count) {
  gui.RunFrames(count, [this] { view_->Draw(); });
  Drain();
  return gui.LastFrame();
}

const ui::FrameReport& PageRig::Click(float x, float y) {
  gui.Click(x, y, [this] { view_->Draw(); });
  Drain();
  // Move away so that nothing stays hovered or held into the next test step.
  gui.MoveMouse(-100, -100);
  return Frame();
}

bool PageRig::ClickItem(const std::string& label) {
  const ui::DrawnItem* item = gui.LastFrame().FindItem(label);
  if (!item) return false;
  Click(item->CenterX(), item->CenterY());
  return true;
}

namespace {
constexpr int kScrollSteps = 60;
}  // namespace

void PageRig::ScrollChoices(float wheel) {
  gui.MoveMouse(400, 440);
  gui.Window().MutableInput().wheel = wheel;
  Frame();
  gui.Window().MutableInput().wheel = 0;
}

std::optional<ui::DrawnItem> PageRig::FindChoice(const std::string& label) {
  ScrollChoices(50);
  for (int step = 0; step < kScrollSteps; ++step) {
    if (const ui::DrawnItem* item = gui.LastFrame().FindItem(label)) return *item;
    ScrollChoices(-0.25f);
  }
  return std::nullopt;
}

std::string PageRig::ScrollThroughChoices() {
  ScrollChoices(50);
  std::string text;
  for (int step = 0; step < kScrollSteps; ++step) {
    text += gui.LastFrame().text + "\n";
    ScrollChoices(-0.25f);
  }
  return text;
}

bool PageRig::ClickChoice(const std::string& label) {
  // The region spans y 304 to 580 of the window.
  constexpr float kTop = 304 + 10, kBottom = 580 - 10;
  const auto scroll = [this](float wheel) { ScrollChoices(wheel); };
  scroll(50);  // to the top
  for (int step = 0; step < kScrollSteps; ++step) {
    const ui::DrawnItem* item = gui.LastFrame().FindItem(label);
    if (item && item->CenterY() > kTop && item->CenterY() < kBottom) {
      Click(item->CenterX(), item->CenterY());
      return true;
    }
    scroll(-0.25f);
  }
  return false;
}

const ui::DrawnItem* PageRig::FindItemStartingWith(const std::string& prefix) const {
  for (const auto& item : gui.LastFrame().items) {
    if (item.label.rfind(prefix, 0) == 0) return &item;
  }
  return nullptr;
}

std::vector<std::string> PageRig::TakeEvents() {
  std::vector<std::string> taken;
  taken.swap(events);
  return taken;
}

}  // namespace kovo::testing
