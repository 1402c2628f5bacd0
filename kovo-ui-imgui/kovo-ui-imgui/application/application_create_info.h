// What an application asks of the framework when it is created.
#pragma once

#include <cstdint>
#include <string>

namespace kovo::desktop::ui::imgui {

struct WindowSize {
  std::int32_t width = 1024;
  std::int32_t height = 768;
};

struct WindowCreateInfo {
  // UTF-8; the native window class name and the window's first caption.
  std::string title = "Gui Context Window";
  // Initial outer size in pixels.
  WindowSize size;
  // Present with a sync interval of 1.
  bool vsync = true;
};

struct DeviceCreateInfo {
  // Create the Direct3D device with its debug layer.
  bool debug = false;
  // 0: hardware device with a software (WARP) fallback; any other value:
  // the software device only.
  std::int32_t driver = 0;
};

struct GuiCreateInfo {
  WindowCreateInfo window;
  DeviceCreateInfo device;
};

struct ApplicationCreateInfo {
  GuiCreateInfo gui;
  // true: "waiting" mode, a frame is drawn only after a window message;
  // false: "polling" mode, frames are drawn continuously.
  bool wait_events = true;
};

}  // namespace kovo::desktop::ui::imgui
