#include "kovo-ui-imgui/headless/null_gui_context.h"

#include <imgui.h>
#include <imgui_internal.h>

#include <algorithm>
#include <utility>

#include "graphics/imgui_configuration.h"

namespace kovo::desktop::ui::imgui {

// ========================================================================
// NullWindow
// ========================================================================

NullWindow::NullWindow(int width, int height, bool vsync)
    : vsync_(vsync), rect_{100, 100, width, height}, caption_() {}

bool NullWindow::ShouldClose() const { return should_close_; }

void NullWindow::TakePendingEvents() {
  pending_events_ = 0;
  if (quit_posted_) should_close_ = true;
  if (std::exchange(minimize_posted_, false)) Minimize(GetHandle());
  if (std::exchange(bring_to_front_posted_, false)) BringToFront(GetHandle());
}

void NullWindow::PollEvents() {
  std::lock_guard<std::mutex> lock(mutex_);
  TakePendingEvents();
}

void NullWindow::WaitEvents() {
  std::unique_lock<std::mutex> lock(mutex_);
  posted_.wait(lock, [this] { return pending_events_ > 0 || quit_posted_; });
  TakePendingEvents();
}

void NullWindow::PostEmptyEvent() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++pending_events_;
    ++empty_events_posted_;
  }
  posted_.notify_all();
}

void NullWindow::PostMinimize() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++pending_events_;
    minimize_posted_ = true;
  }
  posted_.notify_all();
}

void NullWindow::PostBringToFront() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++pending_events_;
    bring_to_front_posted_ = true;
  }
  posted_.notify_all();
}

int NullWindow::EmptyEventsPosted() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return empty_events_posted_;
}

void NullWindow::PostQuit() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_posted_ = true;
  }
  posted_.notify_all();
}

void NullWindow::SystemClose() {
  if (frameless_) {
    close_requested_ = true;
    PostEmptyEvent();
    return;
  }
  visible_ = false;
  PostQuit();
}

bool NullWindow::TakeCloseRequest() { return std::exchange(close_requested_, false); }

void NullWindow::Minimize(NativeWindowHandle) { minimized_ = true; }

void NullWindow::ToggleMaximize(NativeWindowHandle) {
  minimized_ = false;
  if (maximized_) {
    maximized_ = false;
    if (restore_rect_) rect_ = *restore_rect_;
    return;
  }
  restore_rect_ = rect_;
  rect_ = work_area_;
  maximized_ = true;
}

void NullWindow::BringToFront(NativeWindowHandle) {
  visible_ = true;
  foreground_ = true;
}

void NullWindow::SetPlacement(NativeWindowHandle, int x, int y, int width, int height) {
  rect_ = {x, y, width, height};
  visible_ = true;
}

void NullWindow::ShowFrameless(std::string_view window_id, int width, int height) {
  caption_ = VisiblePartOfWindowId(window_id);
  if (frameless_ && frameless_->width == width && frameless_->height == height) return;
  frameless_ = FramelessState{width, height};
  minimized_ = false;
  maximized_ = false;
  rect_ = {work_area_.x + std::max(0, (work_area_.width - width) / 2),
           work_area_.y + std::max(0, (work_area_.height - height) / 2), width, height};
  visible_ = true;
  foreground_ = true;
}

std::optional<ScreenRect> NullWindow::GetRect(NativeWindowHandle) const { return rect_; }

std::optional<ScreenRect> NullWindow::GetWorkArea(NativeWindowHandle) const { return work_area_; }

std::optional<ScreenPoint> NullWindow::GetCursorPosition() const { return input_.cursor; }

void NullWindow::MoveTo(NativeWindowHandle, int x, int y) {
  rect_.x = x;
  rect_.y = y;
}

// ========================================================================
// NullTexture and NullGraphicsDevice
// ========================================================================

NullTexture::NullTexture(int width, int height, PixelFormat format, bool created,
                         std::thread::id gui_thread)
    : width_(width), height_(height), format_(format), created_(created), gui_thread_(gui_thread) {
  if (created_) {
    if (const auto bytes = ImageByteCount(width, height, 4)) staging_.resize(*bytes);
  }
}

bool NullTexture::Update(const std::vector<std::uint8_t>& pixels) {
  if (std::this_thread::get_id() != gui_thread_) {
    ++foreign_thread_updates_;
    return false;
  }
  if (!created_ || !StagePixels(format_, pixels, staging_)) return false;
  ++updates_;
  return true;
}

bool NullTexture::Stage(const std::vector<std::uint8_t>& pixels) {
  return StagePixels(format_, pixels, staging_);
}

void NullGraphicsDevice::Clear(const float color[4]) {
  ++clears_;
  std::copy(color, color + 4, last_clear_color_);
}

bool NullGraphicsDevice::Creatable(int width, int height, PixelFormat format) const {
  // What a device refuses: no size, an unknown format, more than fits.
  return !fail_textures_ && TextureFormatNumber(format).has_value() &&
         ImageByteCount(width, height, 4).has_value() && width <= 16384 && height <= 16384;
}

std::unique_ptr<Texture> NullGraphicsDevice::CreateTexture(int width, int height,
                                                           PixelFormat format) {
  ++textures_created_;
  return std::make_unique<NullTexture>(width, height, format, Creatable(width, height, format),
                                       gui_thread_);
}

std::unique_ptr<Texture> NullGraphicsDevice::CreateTexture(
    int width, int height, PixelFormat format, const std::vector<std::uint8_t>& pixels) {
  ++textures_created_;
  const bool creatable = Creatable(width, height, format);
  auto texture = std::make_unique<NullTexture>(width, height, format, creatable, gui_thread_);
  if (creatable && !texture->Stage(pixels)) {
    return std::make_unique<NullTexture>(width, height, format, false, gui_thread_);
  }
  return texture;
}

// ========================================================================
// NullGuiContext
// ========================================================================

namespace {
// Any non-null value serves: nothing samples the atlas.
int font_texture_marker = 0;
}  // namespace

NullGuiContext::NullGuiContext() : NullGuiContext(Options{}) {}

NullGuiContext::NullGuiContext(Options options)
    : window_(options.width, options.height, options.vsync), device_(window_) {
  IMGUI_CHECKVERSION();
  imgui_ = ImGui::CreateContext();
  ImGui::SetCurrentContext(imgui_);
  ImGuiIO& io = ImGui::GetIO();
  ConfigureImGui(io);
  io.BackendPlatformName = "kovo_null";
  io.BackendRendererName = "kovo_null";
  io.BackendFlags |= ImGuiBackendFlags_HasMouseCursors;
  // Keys are Windows virtual-key codes here as on Windows, so that the same
  // key numbers work in both.
  const std::pair<ImGuiKey, int> key_map[] = {
      {ImGuiKey_Tab, 9},          {ImGuiKey_LeftArrow, 37}, {ImGuiKey_RightArrow, 39},
      {ImGuiKey_UpArrow, 38},     {ImGuiKey_DownArrow, 40}, {ImGuiKey_PageUp, 33},
      {ImGuiKey_PageDown, 34},    {ImGuiKey_Home, 36},      {ImGuiKey_End, 35},
      {ImGuiKey_Insert, 45},      {ImGuiKey_Delete, 46},    {ImGuiKey_Backspace, 8},
      {ImGuiKey_Space, 32},       {ImGuiKey_Enter, 13},     {ImGuiKey_Escape, 27},
      {ImGuiKey_KeyPadEnter, 13}, {ImGuiKey_A, 'A'},        {ImGuiKey_C, 'C'},
      {ImGuiKey_V, 'V'},          {ImGuiKey_X, 'X'},        {ImGuiKey_Y, 'Y'},
      {ImGuiKey_Z, 'Z'},
  };
  for (const auto& [key, virtual_key] : key_map) io.KeyMap[key] = virtual_key;

  fonts_ = FontCache::Build(*io.Fonts, options.fonts);
  unsigned char* pixels = nullptr;
  int width = 0;
  int height = 0;
  io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
  io.Fonts->SetTexID(&font_texture_marker);
}

NullGuiContext::~NullGuiContext() {
  ImGui::SetCurrentContext(imgui_);
  imgui_->TestEngine = nullptr;
  imgui_->TestEngineHookItems = false;
  ImGui::DestroyContext(imgui_);
}

void* NullGuiContext::FontTextureId() const { return &font_texture_marker; }

void NullGuiContext::SetItemObserver(ImGuiItemObserver* observer) {
  imgui_->TestEngine = observer;
  imgui_->TestEngineHookItems = observer != nullptr;
}

void NullGuiContext::NewFrame() {
  ImGui::SetCurrentContext(imgui_);
  ImGuiIO& io = ImGui::GetIO();
  io.DisplaySize =
      ImVec2(static_cast<float>(window_.ClientWidth()), static_cast<float>(window_.ClientHeight()));
  io.DeltaTime = 1.0f / 60.0f;

  const NullWindow::Input& input = window_.CurrentInput();
  const ScreenRect rect = window_.Rect();
  if (input.cursor.x < 0 && input.cursor.y < 0) {
    io.MousePos = ImVec2(-FLT_MAX, -FLT_MAX);
  } else {
    io.MousePos = ImVec2(static_cast<float>(input.cursor.x - rect.x),
                         static_cast<float>(input.cursor.y - rect.y));
  }
  for (int button = 0; button < 5; ++button) io.MouseDown[button] = input.buttons[button];
  io.MouseWheel = input.wheel;
  window_.MutableInput().wheel = 0.0f;

  std::fill(std::begin(io.KeysDown), std::end(io.KeysDown), false);
  for (int key : input.keys_down) {
    if (key >= 0 && key < IM_ARRAYSIZE(io.KeysDown)) io.KeysDown[key] = true;
  }
  const auto down = [&input](std::initializer_list<int> keys) {
    return std::any_of(keys.begin(), keys.end(),
                       [&input](int key) { return input.keys_down.count(key) > 0; });
  };
  io.KeyShift = down({16, 160, 161});
  io.KeyCtrl = down({17, 162, 163});
  io.KeyAlt = down({18, 164, 165});
  for (char32_t character : input.characters)
    io.AddInputCharacter(static_cast<unsigned>(character));
  window_.MutableInput().characters.clear();

  ImGui::NewFrame();
}

void NullGuiContext::Render() {
  ImGui::SetCurrentContext(imgui_);
  ImGui::Render();
}

}  // namespace kovo::desktop::ui::imgui
