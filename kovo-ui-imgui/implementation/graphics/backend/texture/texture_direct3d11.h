// A texture on the Direct3D 11 device, with the staging copy its updates go
// through.
#pragma once

#include <d3d11.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "kovo-ui-imgui/graphics/texture.h"
#include "platform/com_ref_win32.h"

namespace kovo::desktop::ui::imgui {

class TextureDirect3d11 final : public Texture {
 public:
  // Either interface may be null when the device could not create it; such a
  // texture refuses every update and has a null handle. `staging` is the
  // first image as the device got it (four bytes a pixel), or empty for a
  // blank one. Updates are taken only on `gui_thread`, the one thread that
  // uses the immediate context.
  TextureDirect3d11(int width, int height, ID3D11DeviceContext* context,
                    ComRef<ID3D11ShaderResourceView> view, ComRef<ID3D11Texture2D> texture,
                    PixelFormat format, std::thread::id gui_thread,
                    std::vector<std::uint8_t> staging = {});

  bool Update(const std::vector<std::uint8_t>& pixels) override;
  void* GetHandle() const override;

  const std::vector<std::uint8_t>& Staging() const { return staging_; }

 private:
  bool Usable() const { return view_ && texture_ && !staging_.empty(); }

  std::int32_t width_;
  std::int32_t height_;
  ID3D11DeviceContext* context_;  // not owned: the device's immediate context
  ComRef<ID3D11ShaderResourceView> view_;
  ComRef<ID3D11Texture2D> texture_;
  std::vector<std::uint8_t> staging_;
  PixelFormat format_;
  std::thread::id gui_thread_;
};

}  // namespace kovo::desktop::ui::imgui
