// Textures made on another thread (as the page view makes its pictures on the
// logic thread) while the GUI thread draws frames with the ones already made.
// Run under ThreadSanitizer too.
#include <gtest/gtest.h>
#include <imgui.h>
#include <kovo-ui-imgui/headless/headless_gui.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace ui = kovo::desktop::ui::imgui;

TEST(TextureThreads, TexturesMadeElsewhereCarryTheirPixelsAndAreDrawnByTheGuiThread) {
  ui::HeadlessGui gui;
  constexpr int kTextures = 40;
  std::mutex mutex;  // stands for the application mutex around Draw
  std::vector<std::unique_ptr<ui::Texture>> textures;
  std::atomic<bool> done{false};
  std::atomic<int> foreign_updates_refused{0};

  std::thread logic([&] {
    for (int i = 0; i < kTextures; ++i) {
      std::vector<std::uint8_t> pixels(8 * 8 * 3, static_cast<std::uint8_t>(i));
      auto texture = gui.Device().CreateTexture(8, 8, ui::PixelFormat::Rgb, pixels);
      // An update from here would use the immediate context: refused.
      if (!texture->Update(pixels)) ++foreign_updates_refused;
      std::lock_guard<std::mutex> lock(mutex);
      textures.push_back(std::move(texture));
    }
    done = true;
  });

  int frames = 0;
  std::vector<void*> drawn;
  const auto draw = [&] {
    std::lock_guard<std::mutex> lock(mutex);
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(ImVec2(800, 700));
    ImGui::Begin("textures", nullptr, ImGuiWindowFlags_NoDecoration);
    for (const auto& texture : textures) {
      if (texture->GetHandle()) ImGui::Image(texture->GetHandle(), ImVec2(8, 8));
      ImGui::SameLine();
    }
    ImGui::End();
  };
  while (!done || frames < 3) {
    drawn = gui.Frame(draw).textures;
    ++frames;
  }
  logic.join();
  drawn = gui.Frame(draw).textures;

  ASSERT_EQ(drawn.size(), static_cast<std::size_t>(kTextures));
  EXPECT_EQ(foreign_updates_refused, kTextures);
  for (int i = 0; i < kTextures; ++i) {
    auto* texture = static_cast<ui::NullTexture*>(textures[i].get());
    EXPECT_EQ(drawn[i], texture->GetHandle());
    // The pixels given at creation, four bytes a pixel, untouched since.
    ASSERT_EQ(texture->Staging().size(), 8u * 8u * 4u);
    EXPECT_EQ(texture->Staging()[0], i);
    EXPECT_EQ(texture->Staging()[3], 255);
    EXPECT_EQ(texture->Updates(), 0);
    EXPECT_EQ(texture->ForeignThreadUpdates(), 1);
    // The GUI thread itself may update.
    EXPECT_TRUE(texture->Update(std::vector<std::uint8_t>(8 * 8 * 3, 7)));
    EXPECT_EQ(texture->Staging()[0], 7);
  }
  // Pixels that are not one image of the format make no texture.
  auto wrong = gui.Device().CreateTexture(8, 8, ui::PixelFormat::Rgb, std::vector<std::uint8_t>(5));
  EXPECT_EQ(wrong->GetHandle(), nullptr);
}
