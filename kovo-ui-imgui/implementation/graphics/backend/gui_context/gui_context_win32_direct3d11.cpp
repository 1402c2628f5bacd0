#include "graphics/backend/gui_context/gui_context_win32_direct3d11.h"

#include <imgui.h>
#include <imgui_impl_dx11.h>
#include <imgui_impl_win32.h>

#include "graphics/imgui_configuration.h"
#include "kovo-ui-imgui/logger/logger.h"

// The back end declares its window procedure handler only in a comment, so
// that its header does not need <windows.h>.
extern IMGUI_IMPL_API LRESULT ImGui_ImplWin32_WndProcHandler(HWND hwnd, UINT message, WPARAM wparam,
                                                             LPARAM lparam);

namespace kovo::desktop::ui::imgui {

namespace {

using HandleResult = WindowWin32::MessageHandleResult;

// The ImGui context and the back ends initialised so far, shut down again
// unless creation gets to the end.
class ImGuiSetup {
 public:
  ImGuiSetup() : context_(ImGui::CreateContext()) { ImGui::SetCurrentContext(context_); }
  ~ImGuiSetup() {
    if (!context_) return;
    ImGui::SetCurrentContext(context_);
    if (renderer_) ImGui_ImplDX11_Shutdown();
    if (platform_) ImGui_ImplWin32_Shutdown();
    ImGui::DestroyContext(context_);
  }
  ImGuiSetup(const ImGuiSetup&) = delete;
  ImGuiSetup& operator=(const ImGuiSetup&) = delete;

  bool InitPlatform(HWND window) { return platform_ = ImGui_ImplWin32_Init(window); }
  bool InitRenderer(ID3D11Device* device, ID3D11DeviceContext* context) {
    return renderer_ = ImGui_ImplDX11_Init(device, context);
  }
  ImGuiContext* Release() { return std::exchange(context_, nullptr); }

 private:
  ImGuiContext* context_;
  bool platform_ = false;
  bool renderer_ = false;
};

}  // namespace

std::unique_ptr<GUIContext> GuiContextWin32Direct3D11::Create(const ApplicationCreateInfo& info) {
  auto window = WindowWin32::Create(info);
  if (!window) return nullptr;
  auto device = GraphicsDeviceDX11::Create(*window, info.gui.device);
  if (!device) return nullptr;
  auto clipboard = TextClipboardWin32::Create(*window);

  IMGUI_CHECKVERSION();
  ImGuiSetup imgui;
  ConfigureImGui(ImGui::GetIO());
  if (!imgui.InitPlatform(window->MainHandle())) return nullptr;
  if (!imgui.InitRenderer(device->Device(), device->Context())) return nullptr;
  const FontCache fonts = FontCache::Build(*ImGui::GetIO().Fonts);
  // Shaders and font texture now rather than on the first frame: without the
  // shader compiler (Windows 7 lacking its update) creation fails here, where
  // the program can tell the user, instead of leaving an empty window.
  if (!ImGui_ImplDX11_CreateDeviceObjects()) {
    LOG_ERROR("Could not create the renderer's shaders and font texture");
    return nullptr;
  }

  return std::make_unique<GuiContextWin32Direct3D11>(std::move(window), std::move(device),
                                                     std::move(clipboard), fonts, imgui.Release());
}

GuiContextWin32Direct3D11::GuiContextWin32Direct3D11(std::unique_ptr<WindowWin32> window,
                                                     std::unique_ptr<GraphicsDeviceDX11> device,
                                                     std::unique_ptr<TextClipboardWin32> clipboard,
                                                     const FontCache& fonts, ImGuiContext* imgui)
    : window_(std::move(window)),
      device_(std::move(device)),
      clipboard_(std::move(clipboard)),
      fonts_(fonts),
      imgui_(imgui) {
  WindowWin32::AddMessageHandler([device = device_.get(), main = window_->MainHandle()](
                                     HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message != WM_SIZE || hwnd != main) return HandleResult::NotHandled;
    // A minimised window has no client area; its buffers stay as they are.
    if (wparam != SIZE_MINIMIZED) device->Resize(LOWORD(lparam), HIWORD(lparam));
    return HandleResult::ReturnZero;
  });
  WindowWin32::AddMessageHandler([](HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    return ImGui_ImplWin32_WndProcHandler(hwnd, message, wparam, lparam) != 0
               ? HandleResult::ReturnOne
               : HandleResult::NotHandled;
  });
}

GuiContextWin32Direct3D11::~GuiContextWin32Direct3D11() {
  WindowWin32::ClearMessageHandlers();
  ImGui::SetCurrentContext(imgui_);
  ImGui_ImplDX11_Shutdown();
  ImGui_ImplWin32_Shutdown();
  ImGui::DestroyContext(imgui_);
}

void GuiContextWin32Direct3D11::NewFrame() {
  ImGui_ImplDX11_NewFrame();
  ImGui_ImplWin32_NewFrame();
  ImGui::NewFrame();
}

void GuiContextWin32Direct3D11::Render() {
  ImGui::Render();
#ifdef IMGUI_HAS_VIEWPORT
  if (ImGui::GetIO().ConfigFlags & ImGuiConfigFlags_ViewportsEnable) {
    ImGui::UpdatePlatformWindows();
    ImGui::RenderPlatformWindowsDefault();
  }
#endif
}

void GuiContextWin32Direct3D11::RenderDrawData() {
  ImGui_ImplDX11_RenderDrawData(ImGui::GetDrawData());
}

}  // namespace kovo::desktop::ui::imgui
