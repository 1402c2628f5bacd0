#include "graphics/backend/graphics_device/graphics_device_direct3d11.h"

#include "graphics/backend/texture/texture_direct3d11.h"
#include "graphics/backend/window/window_win32.h"
#include "kovo-ui-imgui/logger/logger.h"

namespace kovo::desktop::ui::imgui {

namespace {

struct DeviceParts {
  ComRef<IDXGISwapChain> swap_chain;
  ComRef<ID3D11Device> device;
  ComRef<ID3D11DeviceContext> context;
};

DXGI_SWAP_CHAIN_DESC SwapChainDescription(HWND window) {
  DXGI_SWAP_CHAIN_DESC description{};
  description.BufferDesc.Width = 0;
  description.BufferDesc.Height = 0;
  description.BufferDesc.RefreshRate.Numerator = 60;
  description.BufferDesc.RefreshRate.Denominator = 1;
  description.BufferDesc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
  // Scanline ordering and scaling stay 0: the driver's choice.
  description.SampleDesc.Count = 1;
  description.SampleDesc.Quality = 0;
  description.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
  description.BufferCount = 2;
  description.OutputWindow = window;
  description.Windowed = TRUE;
  description.SwapEffect = DXGI_SWAP_EFFECT_DISCARD;
  description.Flags = DXGI_SWAP_CHAIN_FLAG_ALLOW_MODE_SWITCH;
  return description;
}

// One attempt; whatever a failed attempt returned is released with it.
std::optional<DeviceParts> TryCreate(GraphicsDeviceDX11::CreateFunction create,
                                     D3D_DRIVER_TYPE driver, UINT flags,
                                     const DXGI_SWAP_CHAIN_DESC& description) {
  static const D3D_FEATURE_LEVEL kFeatureLevels[] = {D3D_FEATURE_LEVEL_11_0,
                                                     D3D_FEATURE_LEVEL_10_0};
  DeviceParts parts;
  D3D_FEATURE_LEVEL achieved{};
  const HRESULT result = create(nullptr, driver, nullptr, flags, kFeatureLevels, 2,
                                D3D11_SDK_VERSION, &description, parts.swap_chain.Receive(),
                                parts.device.Receive(), &achieved, parts.context.Receive());
  if (result != S_OK || !parts.swap_chain || !parts.device || !parts.context) return std::nullopt;
  return parts;
}

// DXGI's own Alt+Enter switch to full screen would take the frameless window
// out of the application's hands.
void DisableAltEnter(IDXGISwapChain* swap_chain, HWND window) {
  ComRef<IDXGIFactory> factory;
  HRESULT result =
      swap_chain->GetParent(__uuidof(IDXGIFactory), reinterpret_cast<void**>(factory.Receive()));
  if (SUCCEEDED(result)) result = factory->MakeWindowAssociation(window, DXGI_MWA_NO_ALT_ENTER);
  if (FAILED(result)) {
    LOG_WARN("Could not turn off the Alt+Enter full-screen switch: 0x"
             << std::hex << static_cast<unsigned long>(result));
  }
}

}  // namespace

// ========================================================================
// Creation
// ========================================================================

std::unique_ptr<GraphicsDeviceDX11> GraphicsDeviceDX11::Create(WindowWin32& window,
                                                               const DeviceCreateInfo& info,
                                                               CreateFunction create) {
  if (!create) create = &D3D11CreateDeviceAndSwapChain;
  const DXGI_SWAP_CHAIN_DESC description = SwapChainDescription(window.MainHandle());
  const UINT flags = info.debug ? D3D11_CREATE_DEVICE_DEBUG : 0;

  std::optional<DeviceParts> parts;
  if (info.driver == 0) {
    LOG_DEBUG("Attempting to create HARDWARE context...");
    parts = TryCreate(create, D3D_DRIVER_TYPE_HARDWARE, flags, description);
    if (parts) {
      LOG_INFO("Attempting to create HARDWARE context SUCCESS!");
    } else {
      LOG_DEBUG("Attempting to create HARDWARE context FAIL!");
    }
  }
  if (!parts) {
    LOG_DEBUG("Attempting to create WARP context...");
    parts = TryCreate(create, D3D_DRIVER_TYPE_WARP, flags, description);
    if (!parts) {
      LOG_ERROR("Attempting to create WARP context FAIL!");
      return nullptr;
    }
    LOG_INFO("Attempting to create WARP context SUCCESS!");
  }

  std::unique_ptr<GraphicsDeviceDX11> device(new GraphicsDeviceDX11(
      window, std::move(parts->device), std::move(parts->context), std::move(parts->swap_chain)));
  if (!device->CreateRenderTarget()) {
    LOG_ERROR("Could not create the render target of the back buffer");
    return nullptr;
  }
  DisableAltEnter(device->swap_chain_.Get(), window.MainHandle());
  return device;
}

GraphicsDeviceDX11::GraphicsDeviceDX11(WindowWin32& window, ComRef<ID3D11Device> device,
                                       ComRef<ID3D11DeviceContext> context,
                                       ComRef<IDXGISwapChain> swap_chain)
    : window_(&window),
      device_(std::move(device)),
      context_(std::move(context)),
      swap_chain_(std::move(swap_chain)) {}

// ========================================================================
// Frames
// ========================================================================

void GraphicsDeviceDX11::Present() {
  const HRESULT result = swap_chain_->Present(window_->VSync() ? 1 : 0, 0);
  const bool trouble = FAILED(result) || result == DXGI_STATUS_OCCLUDED;
  if (trouble && !present_trouble_) {
    // Once, not every frame: an occluded or lost device keeps answering so.
    if (result == DXGI_STATUS_OCCLUDED) {
      LOG_INFO("Presentation occluded: the window cannot be seen");
    } else {
      LOG_ERROR("Presentation failed: 0x" << std::hex << static_cast<unsigned long>(result));
    }
  } else if (!trouble && present_trouble_) {
    LOG_INFO("Presentation works again");
  }
  present_trouble_ = trouble;
}

void GraphicsDeviceDX11::Clear(const float color[4]) {
  // Absent only when re-creating it after a resize failed.
  if (!render_target_) return;
  ID3D11RenderTargetView* targets[] = {render_target_.Get()};
  context_->OMSetRenderTargets(1, targets, nullptr);
  context_->ClearRenderTargetView(render_target_.Get(), color);
}

NativeWindowHandle GraphicsDeviceDX11::GetWindowHandle() const { return window_->GetHandle(); }

// ========================================================================
// Resize support
// ========================================================================

void GraphicsDeviceDX11::ReleaseRenderTarget() { render_target_.Reset(); }

bool GraphicsDeviceDX11::ResizeBuffers(UINT width, UINT height) {
  const HRESULT result = swap_chain_->ResizeBuffers(0, width, height, DXGI_FORMAT_UNKNOWN, 0);
  if (FAILED(result)) {
    LOG_ERROR("Could not resize the swap chain to " << width << "x" << height << ": 0x" << std::hex
                                                    << static_cast<unsigned long>(result));
    return false;
  }
  return true;
}

bool GraphicsDeviceDX11::CreateRenderTarget() {
  ComRef<ID3D11Texture2D> back_buffer;
  if (FAILED(swap_chain_->GetBuffer(0, __uuidof(ID3D11Texture2D),
                                    reinterpret_cast<void**>(back_buffer.Receive())))) {
    return false;
  }
  return SUCCEEDED(
      device_->CreateRenderTargetView(back_buffer.Get(), nullptr, render_target_.Receive()));
}

void GraphicsDeviceDX11::Resize(UINT width, UINT height) {
  ReleaseRenderTarget();
  ResizeBuffers(width, height);
  CreateRenderTarget();
}

std::optional<std::pair<UINT, UINT>> GraphicsDeviceDX11::BackBufferSize() const {
  DXGI_SWAP_CHAIN_DESC description{};
  if (FAILED(swap_chain_->GetDesc(&description))) return std::nullopt;
  return std::make_pair(description.BufferDesc.Width, description.BufferDesc.Height);
}

// ========================================================================
// Textures
// ========================================================================

std::unique_ptr<Texture> GraphicsDeviceDX11::CreateTexture(int width, int height,
                                                           PixelFormat format) {
  return MakeTexture(width, height, format, {});
}

std::unique_ptr<Texture> GraphicsDeviceDX11::CreateTexture(
    int width, int height, PixelFormat format, const std::vector<std::uint8_t>& pixels) {
  std::vector<std::uint8_t> staging;
  const auto bytes = ImageByteCount(width, height, 4);
  if (bytes) staging.resize(*bytes);
  if (!bytes || !StagePixels(format, pixels, staging)) {
    LOG_ERROR("Texture not created: " << pixels.size() << " bytes for " << width << "x" << height);
    return std::make_unique<TextureDirect3d11>(width, height, context_.Get(),
                                               ComRef<ID3D11ShaderResourceView>(),
                                               ComRef<ID3D11Texture2D>(), format, gui_thread_);
  }
  return MakeTexture(width, height, format, std::move(staging));
}

std::unique_ptr<Texture> GraphicsDeviceDX11::MakeTexture(int width, int height, PixelFormat format,
                                                         std::vector<std::uint8_t> staging) {
  ComRef<ID3D11Texture2D> texture;
  ComRef<ID3D11ShaderResourceView> view;
  const auto format_number = TextureFormatNumber(format);
  if (format_number && width > 0 && height > 0) {
    D3D11_TEXTURE2D_DESC description{};
    description.Width = static_cast<UINT>(width);
    description.Height = static_cast<UINT>(height);
    description.MipLevels = 1;
    description.ArraySize = 1;
    description.Format = static_cast<DXGI_FORMAT>(*format_number);
    description.SampleDesc.Count = 1;
    description.SampleDesc.Quality = 0;
    description.Usage = D3D11_USAGE_DEFAULT;
    description.BindFlags = D3D11_BIND_SHADER_RESOURCE;
    description.CPUAccessFlags = 0;
    description.MiscFlags = 0;
    // The first image goes in with the creation, through the device, which
    // any thread may use; a blank texture starts zeroed the same way.
    if (staging.empty()) {
      if (const auto bytes = ImageByteCount(width, height, 4)) staging.assign(*bytes, 0);
    }
    D3D11_SUBRESOURCE_DATA initial{};
    initial.pSysMem = staging.data();
    initial.SysMemPitch = static_cast<UINT>(width) * 4u;
    if (!staging.empty() &&
        SUCCEEDED(device_->CreateTexture2D(&description, &initial, texture.Receive()))) {
      D3D11_SHADER_RESOURCE_VIEW_DESC view_description{};
      view_description.Format = description.Format;
      view_description.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2D;
      view_description.Texture2D.MostDetailedMip = 0;
      view_description.Texture2D.MipLevels = 1;
      if (FAILED(device_->CreateShaderResourceView(texture.Get(), &view_description,
                                                   view.Receive()))) {
        view.Reset();
      }
    }
  }
  return std::make_unique<TextureDirect3d11>(width, height, context_.Get(), std::move(view),
                                             std::move(texture), format, gui_thread_,
                                             std::move(staging));
}

}  // namespace kovo::desktop::ui::imgui
