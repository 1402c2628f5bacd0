// Host (Linux) programs a Windows test starts under Wine: X input with
// xdotool, screenshots with ImageMagick. Wine runs them natively; their exit
// codes do not pass through reliably, so results come back through files.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <kovo-ui-imgui/graphics/image.h>

namespace kovo::testing {

// Runs /usr/bin/<program> with the arguments and waits for it to end; false
// when it could not be started or did not end in time.
bool RunHostProgram(const std::string& program, const std::vector<std::string>& arguments,
                    std::chrono::milliseconds timeout = std::chrono::seconds(20));

// xdotool with the arguments.
bool XDoTool(const std::vector<std::string>& arguments);

// A screenshot of the whole X screen, saved as <name>.png in the artifacts
// folder and decoded; empty when it could not be taken.
std::optional<desktop::ui::imgui::DecodedImage> TakeScreenshot(const std::string& name);

struct Rgb {
  int r = 0, g = 0, b = 0;
};
Rgb PixelAt(const desktop::ui::imgui::DecodedImage& image, int x, int y);
// Within `tolerance` on every channel.
bool Near(const Rgb& a, const Rgb& b, int tolerance = 8);

}  // namespace kovo::testing
