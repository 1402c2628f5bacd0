// The Win32 window, the Direct3D 11 device and the Dear ImGui context with
// its Win32 and Direct3D 11 back ends.
#pragma once

#include <memory>

#include "clipboard/text_clipboard_win32.h"
#include "graphics/backend/graphics_device/graphics_device_direct3d11.h"
#include "graphics/backend/window/window_win32.h"
#include "kovo-ui-imgui/application/application_create_info.h"
#include "kovo-ui-imgui/fonts/font_cache.h"
#include "kovo-ui-imgui/graphics/gui_context.h"

struct ImGuiContext;

namespace kovo::desktop::ui::imgui {

class GuiContextWin32Direct3D11 final : public GUIContext {
 public:
  // Empty when the window, the device or a back end could not be created;
  // whatever was created is released again.
  static std::unique_ptr<GUIContext> Create(const ApplicationCreateInfo& info);

  GuiContextWin32Direct3D11(std::unique_ptr<WindowWin32> window,
                            std::unique_ptr<GraphicsDeviceDX11> device,
                            std::unique_ptr<TextClipboardWin32> clipboard, const FontCache& fonts,
                            ImGuiContext* imgui);
  ~GuiContextWin32Direct3D11() override;
  GuiContextWin32Direct3D11(const GuiContextWin32Direct3D11&) = delete;
  GuiContextWin32Direct3D11& operator=(const GuiContextWin32Direct3D11&) = delete;

  Window& GetWindow() override { return *window_; }
  GraphicsDevice& GetGraphicsDevice() override { return *device_; }
  void NewFrame() override;
  void Render() override;
  void RenderDrawData() override;
  const FontCache& GetFontCache() const override { return fonts_; }
  TextClipboard& GetClipboard() override { return *clipboard_; }

  WindowWin32& Win32Window() { return *window_; }
  GraphicsDeviceDX11& Direct3DDevice() { return *device_; }

 private:
  std::unique_ptr<WindowWin32> window_;
  std::unique_ptr<GraphicsDeviceDX11> device_;
  std::unique_ptr<TextClipboardWin32> clipboard_;
  FontCache fonts_;
  ImGuiContext* imgui_;
};

}  // namespace kovo::desktop::ui::imgui
