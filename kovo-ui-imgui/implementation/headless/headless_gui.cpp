#include "kovo-ui-imgui/headless/headless_gui.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>

#include <imgui.h>
#include <imgui_internal.h>

namespace kovo::desktop::ui::imgui {

namespace {

// ========================================================================
// Reading text back from the draw data
// ========================================================================

struct GlyphInfo {
  ImWchar codepoint;
  float font_size;
  float x0;  // offset of the glyph's quad from the pen position
  float y0;  // offset of the glyph's quad from the line top
  float advance;
};

// Glyph quads carry the glyph's corner texture coordinates unchanged, and no
// two glyphs of the atlas share them.
using UvKey = std::array<float, 4>;

std::map<UvKey, GlyphInfo> GlyphsByUv(const ImFontAtlas& atlas) {
  std::map<UvKey, GlyphInfo> glyphs;
  for (const ImFont* font : atlas.Fonts) {
    for (const ImFontGlyph& glyph : font->Glyphs) {
      if (!glyph.Visible) continue;
      glyphs[{glyph.U0, glyph.V0, glyph.U1, glyph.V1}] =
          GlyphInfo{static_cast<ImWchar>(glyph.Codepoint), font->FontSize, glyph.X0, glyph.Y0,
                    glyph.AdvanceX};
    }
  }
  return glyphs;
}

void AppendUtf8(std::string& text, unsigned codepoint) {
  if (codepoint < 0x80) {
    text += static_cast<char>(codepoint);
  } else if (codepoint < 0x800) {
    text += static_cast<char>(0xC0 | (codepoint >> 6));
    text += static_cast<char>(0x80 | (codepoint & 0x3F));
  } else {
    text += static_cast<char>(0xE0 | (codepoint >> 12));
    text += static_cast<char>(0x80 | ((codepoint >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (codepoint & 0x3F));
  }
}

std::u32string DecodeUtf8(std::string_view text) {
  std::u32string decoded;
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    int length = byte < 0x80           ? 1
                 : (byte >> 5) == 0x6  ? 2
                 : (byte >> 4) == 0xE  ? 3
                 : (byte >> 3) == 0x1E ? 4
                                       : 0;
    if (length == 0 || i + static_cast<std::size_t>(length) > text.size()) {
      decoded += U'\uFFFD';
      ++i;
      continue;
    }
    char32_t codepoint = length == 1 ? byte : byte & (0xFF >> (length + 1));
    for (int k = 1; k < length; ++k)
      codepoint = (codepoint << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    decoded += codepoint;
    i += static_cast<std::size_t>(length);
  }
  return decoded;
}

std::string WithoutBlanks(std::string_view text) {
  std::string result;
  for (char c : text) {
    if (!std::isspace(static_cast<unsigned char>(c))) result += c;
  }
  return result;
}

// Follows the pen from glyph to glyph: a gap wider than a fraction of the
// font size is a blank, a new line top or a step back is a line break.
class TextAssembler {
 public:
  void Add(const GlyphInfo& glyph, float quad_x0, float quad_y0) {
    const float pen_x = quad_x0 - glyph.x0;
    const float line_top = quad_y0 - glyph.y0;
    if (started_) {
      const float size = std::max(glyph.font_size, 1.0f);
      if (std::fabs(line_top - line_top_) > size * 0.5f || pen_x < pen_end_ - size * 0.5f) {
        text_ += '\n';
      } else if (pen_x - pen_end_ > size * 0.15f) {
        text_ += ' ';
      }
    }
    AppendUtf8(text_, glyph.codepoint);
    started_ = true;
    pen_end_ = pen_x + glyph.advance;
    line_top_ = line_top;
  }
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
  bool started_ = false;
  float pen_end_ = 0;
  float line_top_ = 0;
};

std::string ReadText(const ImDrawList& list, const ImDrawCmd& command,
                     const std::map<UvKey, GlyphInfo>& glyphs) {
  TextAssembler text;
  const ImDrawIdx* indices = list.IdxBuffer.Data + command.IdxOffset;
  const ImDrawVert* vertices = list.VtxBuffer.Data + command.VtxOffset;
  const unsigned count = command.ElemCount;
  for (unsigned i = 0; i + 2 < count;) {
    // Glyph quads are two triangles (a, a+1, a+2) and (a, a+2, a+3); every
    // other shape is skipped a triangle at a time.
    const unsigned a = indices[i];
    const bool quad = i + 5 < count && indices[i + 1] == a + 1 && indices[i + 2] == a + 2 &&
                      indices[i + 3] == a && indices[i + 4] == a + 2 && indices[i + 5] == a + 3;
    if (quad) {
      const ImDrawVert& top_left = vertices[a];
      const ImDrawVert& bottom_right = vertices[a + 2];
      const auto found =
          glyphs.find({top_left.uv.x, top_left.uv.y, bottom_right.uv.x, bottom_right.uv.y});
      if (found != glyphs.end()) {
        text.Add(found->second, top_left.pos.x, top_left.pos.y);
        i += 6;
        continue;
      }
    }
    i += 3;
  }
  return text.Text();
}

void AppendLine(std::string& text, const std::string& line) {
  if (line.empty()) return;
  if (!text.empty()) text += '\n';
  text += line;
}

}  // namespace

// ========================================================================
// FrameReport
// ========================================================================

bool FrameReport::HasText(std::string_view wanted) const {
  return WithoutBlanks(text).find(WithoutBlanks(wanted)) != std::string::npos;
}

const DrawnItem* FrameReport::FindItem(std::string_view label) const {
  for (const auto& item : items) {
    if (item.label == label) return &item;
  }
  for (const auto& item : items) {
    if (!item.label.empty() && VisiblePartOfWindowId(item.label) == label) return &item;
  }
  return nullptr;
}

const DrawnWindow* FrameReport::FindWindow(std::string_view name) const {
  for (const auto& window : windows) {
    if (window.name == name) return &window;
  }
  return nullptr;
}

bool FrameReport::DrewTexture(const void* texture_id) const {
  return std::find(textures.begin(), textures.end(), texture_id) != textures.end();
}

// ========================================================================
// HeadlessGui
// ========================================================================

class HeadlessGui::Recorder final : public ImGuiItemObserver {
 public:
  explicit Recorder(const ImFontAtlas& atlas) : glyphs(GlyphsByUv(atlas)) {}

  void OnItemAdded(unsigned id, float x0, float y0, float x1, float y1) override {
    DrawnItem item;
    item.id = id;
    item.x = x0;
    item.y = y0;
    item.width = x1 - x0;
    item.height = y1 - y0;
    items.push_back(item);
  }

  void OnItemInfo(unsigned id, const char* label, int status_flags) override {
    for (auto item = items.rbegin(); item != items.rend(); ++item) {
      if (item->id != id) continue;
      item->label = label ? label : "";
      item->status_flags = status_flags;
      return;
    }
  }

  std::vector<DrawnItem> items;
  const std::map<UvKey, GlyphInfo> glyphs;
};

HeadlessGui::HeadlessGui() : HeadlessGui(NullGuiContext::Options{}) {}

HeadlessGui::HeadlessGui(NullGuiContext::Options options)
    : context_(std::make_unique<NullGuiContext>(std::move(options))) {
  ImGui::SetCurrentContext(context_->ImGui());
  recorder_ = std::make_unique<Recorder>(*ImGui::GetIO().Fonts);
  context_->SetItemObserver(recorder_.get());
}

HeadlessGui::~HeadlessGui() { context_->SetItemObserver(nullptr); }

const FrameReport& HeadlessGui::Frame(const Draw& draw) {
  static constexpr float kClearColor[4] = {0.45f, 0.55f, 0.60f, 1.00f};
  Window().PollEvents();
  recorder_->items.clear();
  context_->NewFrame();
  if (draw) draw();
  context_->Render();
  Device().Clear(kClearColor);
  context_->RenderDrawData();
  Device().Present();
  BuildReport();
  return report_;
}

const FrameReport& HeadlessGui::RunFrames(int count, const Draw& draw) {
  for (int i = 0; i < count; ++i) Frame(draw);
  return report_;
}

void HeadlessGui::BuildReport() {
  const ImGuiContext& g = *context_->ImGui();
  FrameReport report;
  report.frame = ++frame_number_;
  report.items = recorder_->items;
  report.hovered_id = g.HoveredId;
  report.active_id = g.ActiveId;

  std::map<std::string, std::string> text_by_window;
  if (const ImDrawData* data = ImGui::GetDrawData(); data && data->Valid) {
    for (int n = 0; n < data->CmdListsCount; ++n) {
      const ImDrawList& list = *data->CmdLists[n];
      report.vertices += list.VtxBuffer.Size;
      const std::string owner = list._OwnerName ? list._OwnerName : "";
      for (const ImDrawCmd& command : list.CmdBuffer) {
        if (command.UserCallback) continue;
        if (command.TextureId == context_->FontTextureId()) {
          const std::string text = ReadText(list, command, recorder_->glyphs);
          AppendLine(text_by_window[owner], text);
          AppendLine(report.text, text);
        } else if (command.TextureId && !report.DrewTexture(command.TextureId)) {
          report.textures.push_back(command.TextureId);
        }
      }
    }
  }
  for (const ImGuiWindow* window : g.Windows) {
    if (!window->Active || window->Hidden) continue;
    DrawnWindow drawn;
    drawn.name = window->Name;
    drawn.x = window->Pos.x;
    drawn.y = window->Pos.y;
    drawn.width = window->Size.x;
    drawn.height = window->Size.y;
    drawn.text = text_by_window[drawn.name];
    report.windows.push_back(std::move(drawn));
  }
  report_ = std::move(report);
}

// ========================================================================
// Input
// ========================================================================

void HeadlessGui::MoveMouse(float x, float y) {
  const ScreenRect rect = Window().Rect();
  Window().MutableInput().cursor = {rect.x + static_cast<int>(std::lround(x)),
                                    rect.y + static_cast<int>(std::lround(y))};
}

void HeadlessGui::PressMouse(int button) {
  if (button >= 0 && button < 5) Window().MutableInput().buttons[button] = true;
}

void HeadlessGui::ReleaseMouse(int button) {
  if (button >= 0 && button < 5) Window().MutableInput().buttons[button] = false;
}

void HeadlessGui::PressKey(Key key) {
  if (const auto native = Window().GetKeyMapper().ToNative(key)) {
    Window().MutableInput().keys_down.insert(*native);
  }
}

void HeadlessGui::ReleaseKey(Key key) {
  if (const auto native = Window().GetKeyMapper().ToNative(key)) {
    Window().MutableInput().keys_down.erase(*native);
  }
}

void HeadlessGui::TypeText(std::string_view utf8) {
  Window().MutableInput().characters += DecodeUtf8(utf8);
}

const FrameReport& HeadlessGui::Click(float x, float y, const Draw& draw, int button) {
  MoveMouse(x, y);
  Frame(draw);
  PressMouse(button);
  Frame(draw);
  ReleaseMouse(button);
  return Frame(draw);
}

bool HeadlessGui::ClickItem(std::string_view label, const Draw& draw) {
  const DrawnItem* item = report_.FindItem(label);
  if (!item) return false;
  const float x = item->CenterX();
  const float y = item->CenterY();
  Click(x, y, draw);
  return true;
}

const FrameReport& HeadlessGui::TapKey(Key key, const Draw& draw) {
  PressKey(key);
  Frame(draw);
  ReleaseKey(key);
  return Frame(draw);
}

}  // namespace kovo::desktop::ui::imgui
