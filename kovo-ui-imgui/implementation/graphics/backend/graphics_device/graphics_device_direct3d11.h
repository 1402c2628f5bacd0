// The Direct3D 11 device, immediate context and swap chain of the main window.
#pragma once

#include <d3d11.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "kovo-ui-imgui/application/application_create_info.h"
#include "kovo-ui-imgui/graphics/graphics_device.h"
#include "platform/com_ref_win32.h"

namespace kovo::desktop::ui::imgui {

class WindowWin32;

class GraphicsDeviceDX11 final : public GraphicsDevice {
 public:
  // D3D11CreateDeviceAndSwapChain, replaceable to exercise the fallbacks.
  using CreateFunction = PFN_D3D11_CREATE_DEVICE_AND_SWAP_CHAIN;

  // Hardware first, then WARP (driver 0), or WARP only (any other driver).
  // Empty, after logging, when no device could be created.
  static std::unique_ptr<GraphicsDeviceDX11> Create(WindowWin32& window,
                                                    const DeviceCreateInfo& info,
                                                    CreateFunction create = nullptr);

  void Present() override;
  void Clear(const float color[4]) override;
  std::unique_ptr<Texture> CreateTexture(int width, int height, PixelFormat format) override;
  std::unique_ptr<Texture> CreateTexture(int width, int height, PixelFormat format,
                                         const std::vector<std::uint8_t>& pixels) override;
  NativeWindowHandle GetWindowHandle() const override;

  // Resize support: the back buffers follow the window's client size.
  void ReleaseRenderTarget();
  bool ResizeBuffers(UINT width, UINT height);
  bool CreateRenderTarget();
  void Resize(UINT width, UINT height);

  ID3D11Device* Device() const { return device_.Get(); }
  ID3D11DeviceContext* Context() const { return context_.Get(); }
  // The swap chain's buffer size.
  std::optional<std::pair<UINT, UINT>> BackBufferSize() const;

 private:
  GraphicsDeviceDX11(WindowWin32& window, ComRef<ID3D11Device> device,
                     ComRef<ID3D11DeviceContext> context, ComRef<IDXGISwapChain> swap_chain);
  // Through the device only (thread-safe); `staging` holds four bytes a pixel
  // or is empty for a blank image.
  std::unique_ptr<Texture> MakeTexture(int width, int height, PixelFormat format,
                                       std::vector<std::uint8_t> staging);

  WindowWin32* window_;
  std::thread::id gui_thread_ = std::this_thread::get_id();
  // The last presentation failed or was occluded; logged when it began.
  bool present_trouble_ = false;
  // Declared so that they are released render target first, then swap chain,
  // context and device.
  ComRef<ID3D11Device> device_;
  ComRef<ID3D11DeviceContext> context_;
  ComRef<IDXGISwapChain> swap_chain_;
  ComRef<ID3D11RenderTargetView> render_target_;
};

}  // namespace kovo::desktop::ui::imgui
