// What the installer's pages share while they draw: the frame's view of the
// page state, the pictures, and the few drawing forms every page uses (faces,
// pill buttons, hyperlinks, flowing text with links).
//
// Threads: GUI thread, inside a frame, under the application mutex.
#pragma once

#include <imgui.h>
#include <kovo-ui-imgui/events/event_queuer.h>
#include <kovo-ui-imgui/fonts/font_cache.h>
#include <kovo-ui-imgui/graphics/texture.h>
#include <kovo-ui-imgui/graphics/window.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "installer/page_data.h"
#include "installer/views/installer_pictures.h"

namespace kovo::plugin::web::installer {

// 0xRRGGBB, opaque.
constexpr ImU32 Rgb(std::uint32_t hex) {
  return IM_COL32((hex >> 16) & 0xFF, (hex >> 8) & 0xFF, hex & 0xFF, 0xFF);
}

namespace page_colours {
inline constexpr ImU32 kPage = Rgb(0x2C3E50);
inline constexpr ImU32 kText = Rgb(0xFFFFFF);
inline constexpr ImU32 kPanel = Rgb(0x273748);
inline constexpr ImU32 kPanelHover = Rgb(0x3E5266);
inline constexpr ImU32 kAccentBlue = Rgb(0x349CEE);
inline constexpr ImU32 kOrange = Rgb(0xFF8552);
inline constexpr ImU32 kOrangeHover = Rgb(0xFF7438);
inline constexpr ImU32 kInert = Rgb(0xCCCCCC);
inline constexpr ImU32 kWarning = Rgb(0xCD440A);
inline constexpr ImU32 kOtherLanguage = Rgb(0x999999);
inline constexpr ImU32 kSlideText = Rgb(0xD7D7D7);
inline constexpr ImU32 kOtherSlide = Rgb(0x3E5266);
inline constexpr ImU32 kScrollGrab = Rgb(0xD9D9D9);
inline constexpr ImU32 kLink = Rgb(0x349CEE);
inline constexpr ImU32 kLinkHover = Rgb(0xFFFFFF);
}  // namespace page_colours

struct PagePicture {
  std::unique_ptr<desktop::ui::imgui::Texture> texture;  // empty when it did not decode
  ImVec2 size;
};
using PagePictures = std::array<PagePicture, kPictureCount>;

// What one page draws from, for one frame.
struct PageFrame {
  const PageData& data;
  const desktop::ui::imgui::EventQueuer& queuer;
  const desktop::ui::imgui::FontCache& fonts;
  const PagePictures& pictures;
  desktop::ui::imgui::NativeWindowHandle window;
};

// Pushes the regular face at a size of the font cache for its lifetime.
class Face {
 public:
  Face(const desktop::ui::imgui::FontCache& fonts, int size);
  ~Face();
  Face(const Face&) = delete;
  Face& operator=(const Face&) = delete;
};

// Draws the picture at the cursor at its own size; a picture that did not
// decode only takes its room.
void DrawPicture(const PageFrame& frame, PictureId id);

// Normal colour, then the colour while hovered and while held.
struct ButtonColours {
  ImU32 normal;
  ImU32 active;
};
inline constexpr ButtonColours kOrangeButton{page_colours::kOrange, page_colours::kOrangeHover};
inline constexpr ButtonColours kDarkButton{page_colours::kPanel, page_colours::kPanelHover};

// A rounded button at a window position, its label in face `face` (or the
// largest smaller face in which the label fits the button). An inert
// button is drawn in the grey of unavailable buttons and never reports a press.
bool PillButton(const PageFrame& frame, const std::string& label, ImVec2 position, ImVec2 size,
                ButtonColours colours, bool inert = false, int face = 25);

// A one-line hyperlink at the cursor in the current face: in the link blue,
// in the hover colour while the pointer is over it. Opens the address with the
// page's OS calls when clicked and returns true.
bool Hyperlink(const std::string& text, const std::string& address,
               ImU32 hover = page_colours::kLinkHover);

// Text in runs, some of them links, wrapped word by word at `wrap_width`
// pixels from the cursor's x. A link is kept on one line when it fits on one.
struct TextRun {
  std::string text;
  std::string address;  // empty: plain text
  ImU32 colour = 0;     // 0: the current text colour
};
void FlowText(const std::vector<TextRun>& runs, float wrap_width);
// The height FlowText would take in the current face.
float FlowTextHeight(const std::vector<TextRun>& runs, float wrap_width);

// The largest regular face, at most `face`, in which the text is at most
// `width` pixels wide (the smallest face when none is).
int FittingFace(const desktop::ui::imgui::FontCache& fonts, const std::string& text, int face,
                float width);

// Text wrapped at `wrap_width` pixels from the cursor's x.
void WrappedText(const std::string& text, float wrap_width, ImU32 colour = 0);

// A check box drawn as a chevron in the check-mark colour: pointing down when
// open, right when closed. Returns true when it was toggled.
bool ArrowToggle(const char* id, bool* open);

// Blue bullet then the text on the same line.
void BulletLine(const std::string& text);

}  // namespace kovo::plugin::web::installer
