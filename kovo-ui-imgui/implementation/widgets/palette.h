// The framework's colours, made once from float colours.
#pragma once

#include <imgui.h>

namespace kovo::desktop::ui::imgui::palette {

inline ImU32 FromRgb(unsigned rgb) {
  return ImGui::ColorConvertFloat4ToU32(ImVec4(
      ((rgb >> 16) & 0xFF) / 255.0f, ((rgb >> 8) & 0xFF) / 255.0f, (rgb & 0xFF) / 255.0f, 1.0f));
}

struct Palette {
  ImU32 white = FromRgb(0xFFFFFF);
  ImU32 frame_blue = FromRgb(0x003F60);
  ImU32 link_blue = FromRgb(0x0080BF);
  ImU32 muted_blue = FromRgb(0x839EBC);
  ImU32 accent = FromRgb(0xFF7033);
  ImU32 accent_hovered = FromRgb(0xFDECD9);
  ImU32 accent_held = FromRgb(0xFDD2C0);
  ImU32 plain_border = FromRgb(0x587AB0);
  ImU32 plain_hovered = FromRgb(0xF0F5FB);
  ImU32 plain_held = FromRgb(0xE1ECF6);
  ImU32 title_hover = FromRgb(0x8991A9);
  ImU32 close_pressed = FromRgb(0x313E78);
  ImU32 black = FromRgb(0x000000);
  ImU32 grey = FromRgb(0x999999);
};

inline const Palette& Colours() {
  static const Palette palette;
  return palette;
}

inline ImVec4 Float(ImU32 colour) { return ImGui::ColorConvertU32ToFloat4(colour); }

}  // namespace kovo::desktop::ui::imgui::palette
