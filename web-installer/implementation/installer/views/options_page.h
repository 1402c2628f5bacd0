// The options page: what the plugin brings, the install type with the
// optional components, folder, automatic start and shortcut, the installed
// version or the space warning, the licence line, the language switch and
// the start button.
//
// Threads: GUI thread, inside the page view's frame.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "installer/views/page_drawing.h"

namespace kovo::plugin::web::installer {

class OptionsPage {
 public:
  // The user's choices as the page keeps them. Made from PageData the first
  // time the page is drawn; the controller's later changes of PageData do not
  // reach it, so a return to the page shows the choices as the user left them.
  struct Choices {
    std::string folder;
    InstallTypes installType = InstallTypes::Recommended;
    std::vector<std::string> components;
    bool autoRun = true;
    AutoRunTypes autoRunType = AutoRunTypes::CurrentUser;
    bool desktopShortcut = true;
    bool settingsOpen = false;
  };

  void Draw(const PageFrame& frame);

  // Empty until the first Draw.
  const std::optional<Choices>& WorkingCopy() const { return choices_; }

 private:
  void DrawFeatures(const PageFrame& frame);
  void DrawCustomise(const PageFrame& frame);
  void DrawComponentTree();
  void DrawFolderRow(const PageFrame& frame);
  void DrawLicenceAndLanguage(const PageFrame& frame);
  void DrawStartButton(const PageFrame& frame);

  std::optional<Choices> choices_;
  // By group key; "Recommended" starts open, the others closed.
  std::map<std::string, bool> expanded_;
};

}  // namespace kovo::plugin::web::installer
