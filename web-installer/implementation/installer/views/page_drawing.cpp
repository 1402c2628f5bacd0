#include "installer/views/page_drawing.h"

#include <imgui_internal.h>

#include <algorithm>
#include <cfloat>

#include "installer/views/page_os_calls.h"

namespace kovo::plugin::web::installer {

namespace ui = desktop::ui::imgui;

namespace {

// The regular sizes of the font cache, largest first.
constexpr int kRegularSizes[] = {52, 42, 37, 25, 23, 21, 20, 19, 17, 16};
// The least room left at both ends of a button's label together.
constexpr float kButtonTextMargin = 20;

}  // namespace

int FittingFace(const ui::FontCache& fonts, const std::string& text, int face, float width) {
  for (int size : kRegularSizes) {
    if (size > face) continue;
    ImFont* font = fonts.Get({ui::FontKind::Regular, static_cast<std::uint8_t>(size)});
    if (!font) continue;
    if (font->CalcTextSizeA(static_cast<float>(size), FLT_MAX, 0.0f, text.c_str()).x <= width) {
      return size;
    }
  }
  return kRegularSizes[sizeof(kRegularSizes) / sizeof(kRegularSizes[0]) - 1];
}

Face::Face(const ui::FontCache& fonts, int size) {
  ImGui::PushFont(fonts.Get({ui::FontKind::Regular, static_cast<std::uint8_t>(size)}));
}

Face::~Face() { ImGui::PopFont(); }

void DrawPicture(const PageFrame& frame, PictureId id) {
  const PagePicture& picture = frame.pictures[static_cast<std::size_t>(id)];
  if (picture.texture && picture.texture->GetHandle()) {
    ImGui::Image(picture.texture->GetHandle(), picture.size);
  } else {
    ImGui::Dummy(picture.size);
  }
}

bool PillButton(const PageFrame& frame, const std::string& label, ImVec2 position, ImVec2 size,
                ButtonColours colours, bool inert, int face) {
  const Face font(frame.fonts, FittingFace(frame.fonts, label, face, size.x - kButtonTextMargin));
  ImGui::SetCursorPos(position);
  const ImU32 normal = inert ? page_colours::kInert : colours.normal;
  const ImU32 active = inert ? page_colours::kInert : colours.active;
  ImGui::PushStyleColor(ImGuiCol_Button, normal);
  ImGui::PushStyleColor(ImGuiCol_ButtonHovered, active);
  ImGui::PushStyleColor(ImGuiCol_ButtonActive, active);
  ImGui::PushStyleVar(ImGuiStyleVar_FrameRounding, 30.0f);
  ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(0, 0));
  const bool pressed = ImGui::Button(label.c_str(), size);
  ImGui::PopStyleVar(2);
  ImGui::PopStyleColor(3);
  return pressed && !inert;
}

namespace {

// A link part as a frameless button, so that it is an item with a label.
bool LinkPart(const std::string& text, const std::string& id, bool hovered, ImU32 hover) {
  const ImU32 transparent = IM_COL32(0, 0, 0, 0);
  ImGui::PushStyleColor(ImGuiCol_Button, transparent);
  ImGui::PushStyleColor(ImGuiCol_ButtonHovered, transparent);
  ImGui::PushStyleColor(ImGuiCol_ButtonActive, transparent);
  ImGui::PushStyleColor(ImGuiCol_Text, hovered ? hover : page_colours::kLink);
  ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(0, 0));
  const std::string label = text + "##" + id;
  const bool pressed = ImGui::Button(label.c_str());
  if (ImGui::IsItemHovered()) ImGui::SetMouseCursor(ImGuiMouseCursor_Hand);
  ImGui::PopStyleVar();
  ImGui::PopStyleColor(4);
  return pressed;
}

void Open(const std::string& address) {
  const PageOsCalls& calls = CurrentPageOsCalls();
  if (calls.openUrl) calls.openUrl(address);
}

struct PlacedWord {
  std::string text;
  ImVec2 position;  // window coordinates
  ImVec2 size;
  std::size_t run;
};

// Splits at blanks, keeping each blank with the word before it so that the
// words drawn side by side show the original spacing.
std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  for (char c : text) {
    word.push_back(c);
    if (c == ' ') {
      words.push_back(word);
      word.clear();
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

std::string TrimRight(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace

bool Hyperlink(const std::string& text, const std::string& address, ImU32 hover) {
  const ImVec2 start = ImGui::GetCursorScreenPos();
  const ImVec2 size = ImGui::CalcTextSize(text.c_str());
  const bool hovered =
      ImGui::IsWindowHovered(ImGuiHoveredFlags_ChildWindows) &&
      ImGui::IsMouseHoveringRect(start, ImVec2(start.x + size.x, start.y + size.y));
  const bool pressed = LinkPart(text, "link", hovered, hover);
  if (pressed) Open(address);
  return pressed;
}

namespace {

// Unrounded, so that the widths of the words of a line add up to the line's.
float TextWidth(const std::string& text) {
  return ImGui::GetFont()->CalcTextSizeA(ImGui::GetFontSize(), FLT_MAX, 0.0f, text.c_str()).x;
}

struct FlowLayout {
  std::vector<PlacedWord> words;
  float height = 0;  // from the first line's top to the last line's bottom
};

// Where each part of the runs goes, relative to `origin`, in the current face.
FlowLayout LayOut(const std::vector<TextRun>& runs, float wrap_width, ImVec2 origin) {
  const float line_height = ImGui::GetTextLineHeight();
  const float line_step = line_height + ImGui::GetStyle().ItemSpacing.y;
  const float right = origin.x + wrap_width;
  FlowLayout layout;
  ImVec2 cursor = origin;
  // A part that does not fit the rest of the line starts the next one.
  const auto place = [&](const std::string& text, float width, std::size_t run) {
    if (cursor.x > origin.x && cursor.x + width > right) {
      cursor.x = origin.x;
      cursor.y += line_step;
    }
    layout.words.push_back({text, cursor, ImVec2(width, line_height), run});
    cursor.x += TextWidth(text);
  };
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const TextRun& run = runs[i];
    const float whole = TextWidth(TrimRight(run.text));
    // A link that fits on one line stays in one piece.
    if (!run.address.empty() && whole <= wrap_width) {
      place(run.text, whole, i);
      continue;
    }
    for (const std::string& word : Words(run.text)) {
      place(word, TextWidth(TrimRight(word)), i);
    }
  }
  layout.height = cursor.y - origin.y + line_height;
  return layout;
}

}  // namespace

float FlowTextHeight(const std::vector<TextRun>& runs, float wrap_width) {
  return LayOut(runs, wrap_width, ImVec2(0, 0)).height;
}

void FlowText(const std::vector<TextRun>& runs, float wrap_width) {
  const ImVec2 origin = ImGui::GetCursorPos();
  const float line_height = ImGui::GetTextLineHeight();
  // Laid out first, so that every part of a link knows whether the pointer is
  // over any part of it.
  const FlowLayout layout = LayOut(runs, wrap_width, origin);

  std::vector<bool> hovered(runs.size(), false);
  const ImVec2 screen = ImGui::GetWindowPos();
  const ImVec2 scroll(ImGui::GetScrollX(), ImGui::GetScrollY());
  if (ImGui::IsWindowHovered(ImGuiHoveredFlags_ChildWindows)) {
    for (const PlacedWord& word : layout.words) {
      const ImVec2 min(screen.x + word.position.x - scroll.x,
                       screen.y + word.position.y - scroll.y);
      if (ImGui::IsMouseHoveringRect(min, ImVec2(min.x + word.size.x, min.y + line_height))) {
        hovered[word.run] = true;
      }
    }
  }

  bool opened = false;
  int part = 0;
  for (const PlacedWord& word : layout.words) {
    const TextRun& run = runs[word.run];
    ImGui::SetCursorPos(word.position);
    const std::string text = TrimRight(word.text);
    if (run.colour != 0) ImGui::PushStyleColor(ImGuiCol_Text, run.colour);
    if (run.address.empty()) {
      ImGui::TextUnformatted(text.c_str());
    } else {
      const std::string id = TrimRight(run.text) + "#" + std::to_string(part++);
      // One press opens its link once, whichever part took it.
      if (LinkPart(text, id, hovered[word.run], page_colours::kLinkHover) && !opened) {
        opened = true;
        Open(run.address);
      }
    }
    if (run.colour != 0) ImGui::PopStyleColor();
  }
  // Leave the cursor under the last line.
  ImGui::SetCursorPos(ImVec2(origin.x, origin.y + layout.height - line_height));
  ImGui::Dummy(ImVec2(0, line_height));
}

void WrappedText(const std::string& text, float wrap_width, ImU32 colour) {
  if (colour != 0) ImGui::PushStyleColor(ImGuiCol_Text, colour);
  ImGui::PushTextWrapPos(ImGui::GetCursorPosX() + wrap_width);
  ImGui::TextUnformatted(text.c_str());
  ImGui::PopTextWrapPos();
  if (colour != 0) ImGui::PopStyleColor();
}

bool ArrowToggle(const char* id, bool* open) {
  const ImU32 mark = ImGui::GetColorU32(ImGuiCol_CheckMark);
  const ImU32 transparent = IM_COL32(0, 0, 0, 0);
  ImGui::PushStyleColor(ImGuiCol_FrameBg, transparent);
  ImGui::PushStyleColor(ImGuiCol_FrameBgHovered, transparent);
  ImGui::PushStyleColor(ImGuiCol_FrameBgActive, transparent);
  ImGui::PushStyleColor(ImGuiCol_CheckMark, transparent);
  const bool toggled = ImGui::Checkbox(id, open);
  ImGui::PopStyleColor(4);
  const ImVec2 min = ImGui::GetItemRectMin();
  const ImVec2 max = ImGui::GetItemRectMax();
  const float side = std::min(max.x - min.x, max.y - min.y);
  const float half = side * 0.22f;
  const ImVec2 centre((min.x + max.x) / 2, (min.y + max.y) / 2);
  ImDrawList* draw = ImGui::GetWindowDrawList();
  if (*open) {
    draw->AddLine(ImVec2(centre.x - half, centre.y - half / 2),
                  ImVec2(centre.x, centre.y + half / 2), mark, 2.0f);
    draw->AddLine(ImVec2(centre.x, centre.y + half / 2),
                  ImVec2(centre.x + half, centre.y - half / 2), mark, 2.0f);
  } else {
    draw->AddLine(ImVec2(centre.x - half / 2, centre.y - half),
                  ImVec2(centre.x + half / 2, centre.y), mark, 2.0f);
    draw->AddLine(ImVec2(centre.x + half / 2, centre.y),
                  ImVec2(centre.x - half / 2, centre.y + half), mark, 2.0f);
  }
  return toggled;
}

void BulletLine(const std::string& text) {
  ImGui::PushStyleColor(ImGuiCol_Text, page_colours::kAccentBlue);
  ImGui::Bullet();
  ImGui::PopStyleColor();
  ImGui::SameLine();
  ImGui::TextUnformatted(text.c_str());
}

}  // namespace kovo::plugin::web::installer
