#include "graphics/backend/texture/texture_direct3d11.h"

#include "kovo-ui-imgui/logger/logger.h"

namespace kovo::desktop::ui::imgui {

TextureDirect3d11::TextureDirect3d11(int width, int height, ID3D11DeviceContext* context,
                                     ComRef<ID3D11ShaderResourceView> view,
                                     ComRef<ID3D11Texture2D> texture, PixelFormat format,
                                     std::thread::id gui_thread, std::vector<std::uint8_t> staging)
    : width_(width),
      height_(height),
      context_(context),
      view_(std::move(view)),
      texture_(std::move(texture)),
      format_(format),
      gui_thread_(gui_thread) {
  // Only a texture that exists gets its staging memory: the size of one that
  // could not be created may be anything.
  if (view_ && texture_) {
    if (const auto bytes = ImageByteCount(width_, height_, 4)) {
      if (staging.size() == *bytes) {
        staging_ = std::move(staging);
      } else {
        staging_.resize(*bytes);
      }
    }
  }
  LOG_DEBUG("Создана новая текстура: " << width_ << "x" << height_);
}

bool TextureDirect3d11::Update(const std::vector<std::uint8_t>& pixels) {
  if (std::this_thread::get_id() != gui_thread_) {
    // The immediate context is the GUI thread's alone, and it renders outside
    // the application mutex: an update from here could corrupt a frame.
    LOG_ERROR("Texture update refused: not on the GUI thread");
    return false;
  }
  if (!Usable()) return false;
  if (!StagePixels(format_, pixels, staging_)) {
    LOG_DEBUG("Texture update refused: " << pixels.size() << " bytes for " << width_ << "x"
                                         << height_);
    return false;
  }
  context_->UpdateSubresource(texture_.Get(), 0, nullptr, staging_.data(),
                              static_cast<UINT>(width_) * 4u, 0);
  return true;
}

void* TextureDirect3d11::GetHandle() const { return view_.Get(); }

}  // namespace kovo::desktop::ui::imgui
