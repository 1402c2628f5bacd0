// The framework's own buttons, drawn on Dear ImGui's button behaviour.
//
// A button is a short-lived object made and shown within one frame, on the
// GUI thread, inside an ImGui window:
//
//   if (KovoButtons::Button("Далее", ButtonKind::Default).Show()) { ... }
//
// Common behaviour: nothing happens (no drawing, no press) when the current
// window is hidden or the button's rectangle is not accepted as an item
// (clipped away); a disabled button is drawn but never reacts; Enter
// activates the focused button; the cursor is the hand while hovered; Show
// is true in the frame the button was pressed.
#pragma once

#include <imgui.h>

#include <optional>
#include <string_view>

struct ImGuiWindow;

namespace kovo::desktop::ui::imgui {

class Widgets;

namespace KovoButtons {

enum class ButtonKind : int {
  Normal = 0,
  Default = 1,   // the emphasised choice
  Disabled = 2,  // drawn, never pressed
};

// What ImGui's button behaviour found in this frame.
struct ButtonBehaviour {
  bool hovered = false;
  bool held = false;
  bool pressed = false;
};

class AbstractButton {
 public:
  // Reads the current window, cursor and style: call inside a frame. The
  // label is not copied and must outlive the button.
  explicit AbstractButton(std::string_view label, ButtonKind kind = ButtonKind::Normal);
  virtual ~AbstractButton() = default;
  AbstractButton(const AbstractButton&) = delete;
  AbstractButton& operator=(const AbstractButton&) = delete;

  virtual ImVec2 Size() const = 0;
  // Draws the button into the current window at the start position.
  virtual void Render(const ButtonBehaviour& behaviour) = 0;

  // Adds the item, runs the behaviour, draws; true when pressed this frame.
  bool Show();

 protected:
  // The rectangle the button occupies, in screen coordinates.
  ImVec2 Min() const { return position_; }
  ImVec2 Max() const;
  // The label's position when centred in the rectangle.
  ImVec2 CentredLabelPosition() const;

  const ImGuiStyle& style_;
  std::string_view label_;  // the visible part (before "##")
  std::string_view full_label_;
  ImGuiWindow* window_;
  ImVec2 position_;
  ImGuiID id_;  // made from the whole label
  ImVec2 label_size_;
  ButtonKind kind_;
};

// A pill with a border: accent (orange) or plain (blue) scheme.
class Button : public AbstractButton {
 public:
  Button(std::string_view label, ButtonKind kind = ButtonKind::Normal, bool accent = false,
         std::optional<float> width = std::nullopt);
  ImVec2 Size() const override;
  void Render(const ButtonBehaviour& behaviour) override;

 private:
  ImVec2 base_size_;
  bool accent_;
  std::optional<float> width_;
};

// A flat button on the frame blue face.
class ToolButton : public AbstractButton {
 public:
  explicit ToolButton(std::string_view label, ButtonKind kind = ButtonKind::Normal);
  ImVec2 Size() const override;
  void Render(const ButtonBehaviour& behaviour) override;

 private:
  ImVec2 padding_;
};

// A 40 x 40 glyph button of a title bar, drawn in the icon face.
class TitlebarButton : public AbstractButton {
 public:
  TitlebarButton(Widgets& widgets, std::string_view glyph, ButtonKind kind = ButtonKind::Normal);
  ImVec2 Size() const override;
  void Render(const ButtonBehaviour& behaviour) override;

 protected:
  Widgets& widgets_;
};

// The window's close button: the cross glyph on a white face, 36 x 28.
class CloseButton : public TitlebarButton {
 public:
  explicit CloseButton(Widgets& widgets, ButtonKind kind = ButtonKind::Normal);
  ImVec2 Size() const override;
  void Render(const ButtonBehaviour& behaviour) override;
};

}  // namespace KovoButtons

}  // namespace kovo::desktop::ui::imgui
