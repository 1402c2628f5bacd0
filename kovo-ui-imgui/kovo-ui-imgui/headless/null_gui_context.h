// A GUI context without a window system or graphics device, for running
// controllers, views and widgets frame by frame in native tests. The window
// is a plain object with scriptable input and a real event wait; textures are
// plain objects that keep what was uploaded to them.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "kovo-ui-imgui/fonts/font_cache.h"
#include "kovo-ui-imgui/graphics/gui_context.h"
#include "kovo-ui-imgui/headless/imgui_item_observer.h"

struct ImGuiContext;

namespace kovo::desktop::ui::imgui {

// ========================================================================
// Window
// ========================================================================

class NullWindow final : public Window {
 public:
  struct Input {
    ScreenPoint cursor{-1, -1};  // screen coordinates
    bool buttons[5] = {};
    std::set<int> keys_down;  // virtual-key codes
    std::u32string characters;
    float wheel = 0.0f;
  };

  NullWindow(int width, int height, bool vsync);

  // --- Window ---
  void Show() override { visible_ = true; }
  void Hide() override { visible_ = false; }
  bool VSync() const override { return vsync_; }
  bool ShouldClose() const override;
  void PollEvents() override;
  void WaitEvents() override;
  void PostEmptyEvent() override;
  void PostMinimize() override;
  void PostBringToFront() override;
  KeyMapper& GetKeyMapper() override { return key_mapper_; }
  void Minimize(NativeWindowHandle handle) override;
  void ToggleMaximize(NativeWindowHandle handle) override;
  void BringToFront(NativeWindowHandle handle) override;
  void SetPlacement(NativeWindowHandle handle, int x, int y, int width, int height) override;
  NativeWindowHandle GetHandle() const override { return const_cast<NullWindow*>(this); }
  void ShowFrameless(std::string_view window_id, int width, int height) override;
  bool TakeCloseRequest() override;
  std::optional<ScreenRect> GetRect(NativeWindowHandle handle) const override;
  std::optional<ScreenRect> GetWorkArea(NativeWindowHandle handle) const override;
  std::optional<ScreenPoint> GetCursorPosition() const override;
  void MoveTo(NativeWindowHandle handle, int x, int y) override;

  // --- What the system would do ---
  // The user closes the window (Alt+F4): a frameless window gets a close
  // request, any other one is destroyed, which ends the message loop.
  void SystemClose();
  // The quit message arrives with the next pump.
  void PostQuit();

  // --- State for tests ---
  Input& MutableInput() { return input_; }
  const Input& CurrentInput() const { return input_; }
  ScreenRect Rect() const { return rect_; }
  // The client area; empty while minimised.
  int ClientWidth() const { return minimized_ ? 0 : rect_.width; }
  int ClientHeight() const { return minimized_ ? 0 : rect_.height; }
  bool Visible() const { return visible_; }
  bool Minimized() const { return minimized_; }
  bool Maximized() const { return maximized_; }
  bool Frameless() const { return frameless_.has_value(); }
  const std::string& Caption() const { return caption_; }
  bool Foreground() const { return foreground_; }
  int EmptyEventsPosted() const;
  void SetWorkArea(const ScreenRect& area) { work_area_ = area; }

 private:
  struct FramelessState {
    int width = 0;
    int height = 0;
  };

  void TakePendingEvents();  // with mutex_ held

  Win32KeyMapper key_mapper_;
  bool vsync_;
  Input input_;
  ScreenRect rect_;
  ScreenRect work_area_{0, 0, 1280, 1024};
  std::optional<ScreenRect> restore_rect_;
  std::optional<FramelessState> frameless_;
  std::string caption_;
  bool visible_ = false;
  bool minimized_ = false;
  bool maximized_ = false;
  bool foreground_ = false;
  bool close_requested_ = false;

  // The event queue, shared with the threads that post to it.
  mutable std::mutex mutex_;
  std::condition_variable posted_;
  int pending_events_ = 0;
  int empty_events_posted_ = 0;
  bool quit_posted_ = false;
  bool should_close_ = false;
  bool minimize_posted_ = false;
  bool bring_to_front_posted_ = false;
};

// ========================================================================
// Textures and device
// ========================================================================

class NullTexture final : public Texture {
 public:
  // A texture the device "could not create" has a null handle and refuses
  // updates, as a real one does. Like a real one it refuses updates from any
  // thread but `gui_thread`.
  NullTexture(int width, int height, PixelFormat format, bool created, std::thread::id gui_thread);

  bool Update(const std::vector<std::uint8_t>& pixels) override;
  // The first image, given at creation (any thread, before the texture is shared).
  bool Stage(const std::vector<std::uint8_t>& pixels);
  void* GetHandle() const override { return created_ ? const_cast<NullTexture*>(this) : nullptr; }

  int Width() const { return width_; }
  int Height() const { return height_; }
  PixelFormat Format() const { return format_; }
  // Four bytes a pixel, as the device would receive them.
  const std::vector<std::uint8_t>& Staging() const { return staging_; }
  int Updates() const { return updates_; }
  // Updates refused because they came from another thread than the GUI's.
  int ForeignThreadUpdates() const { return foreign_thread_updates_; }

 private:
  int width_;
  int height_;
  PixelFormat format_;
  bool created_;
  std::thread::id gui_thread_;
  int foreign_thread_updates_ = 0;
  std::vector<std::uint8_t> staging_;
  int updates_ = 0;
};

// Made on the GUI thread, which Clear and Present must run on; textures may be
// created from any thread, as with a real device.
class NullGraphicsDevice final : public GraphicsDevice {
 public:
  explicit NullGraphicsDevice(Window& window) : window_(&window) {}

  void Present() override { ++presents_; }
  void Clear(const float color[4]) override;
  std::unique_ptr<Texture> CreateTexture(int width, int height, PixelFormat format) override;
  std::unique_ptr<Texture> CreateTexture(int width, int height, PixelFormat format,
                                         const std::vector<std::uint8_t>& pixels) override;
  NativeWindowHandle GetWindowHandle() const override { return window_->GetHandle(); }

  int Presents() const { return presents_; }
  int Clears() const { return clears_; }
  const float* LastClearColor() const { return last_clear_color_; }
  // Makes every later texture creation fail, as an exhausted device would.
  void FailTextureCreation(bool fail) { fail_textures_ = fail; }
  int TexturesCreated() const { return textures_created_; }

 private:
  bool Creatable(int width, int height, PixelFormat format) const;

  Window* window_;
  std::thread::id gui_thread_ = std::this_thread::get_id();
  std::atomic<int> textures_created_{0};
  int presents_ = 0;
  int clears_ = 0;
  float last_clear_color_[4] = {};
  std::atomic<bool> fail_textures_{false};
};

// ========================================================================
// Clipboard and GUI context
// ========================================================================

class NullTextClipboard final : public TextClipboard {
 public:
  bool SetText(std::string_view utf8) override {
    text_ = std::string(utf8);
    return true;
  }
  std::optional<std::string> GetText() override { return text_; }

 private:
  std::optional<std::string> text_;
};

class NullGuiContext final : public GUIContext {
 public:
  struct Options {
    int width = 800;
    int height = 700;
    bool vsync = true;
    // The system font files (none by default, so the embedded fonts load).
    FontFileReader fonts = [](const std::string&) {
      return std::optional<std::vector<std::uint8_t>>();
    };
  };

  NullGuiContext();
  explicit NullGuiContext(Options options);
  ~NullGuiContext() override;
  NullGuiContext(const NullGuiContext&) = delete;
  NullGuiContext& operator=(const NullGuiContext&) = delete;

  Window& GetWindow() override { return window_; }
  GraphicsDevice& GetGraphicsDevice() override { return device_; }
  // Feeds the window's input to ImGui the way a platform back end does.
  void NewFrame() override;
  void Render() override;
  void RenderDrawData() override { ++rendered_frames_; }
  const FontCache& GetFontCache() const override { return fonts_; }
  TextClipboard& GetClipboard() override { return clipboard_; }

  NullWindow& Null() { return window_; }
  NullGraphicsDevice& NullDevice() { return device_; }
  ImGuiContext* ImGui() const { return imgui_; }
  // The font atlas's texture id, as draw commands carry it.
  void* FontTextureId() const;
  int RenderedFrames() const { return rendered_frames_; }
  void SetItemObserver(ImGuiItemObserver* observer);

 private:
  NullWindow window_;
  NullGraphicsDevice device_;
  NullTextClipboard clipboard_;
  ImGuiContext* imgui_ = nullptr;
  FontCache fonts_;
  bool mouse_was_down_[5] = {};
  int rendered_frames_ = 0;
};

}  // namespace kovo::desktop::ui::imgui
