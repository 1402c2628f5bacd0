#include "gui/wine/host_programs.h"

#include "support/test_support.h"

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace kovo::testing {

namespace {

std::wstring Widen(const std::string& text) {
  std::wstring wide;
  for (unsigned char c : text) wide += static_cast<wchar_t>(c);
  return wide;
}

std::wstring Quoted(const std::string& argument) { return L"\"" + Widen(argument) + L"\""; }

// A handle closed when the object goes.
struct OwnedHandle {
  HANDLE handle = nullptr;
  ~OwnedHandle() {
    if (handle) CloseHandle(handle);
  }
};

std::string EnvironmentOr(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value && *value ? value : fallback;
}

}  // namespace

bool RunHostProgram(const std::string& program, const std::vector<std::string>& arguments,
                    std::chrono::milliseconds timeout) {
  // The process handle Wine gives for a host program may be signalled before
  // the program ends, so the program's end is reported through a file.
  static int run = 0;
  const std::string status_name =
      "host-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++run) + ".status";
  const std::string host_status =
      EnvironmentOr("KOVO_ARTIFACTS_DIR_UNIX", "/tmp") + "/" + status_name;
  const std::string windows_status =
      EnvironmentOr("KOVO_ARTIFACTS_DIR", "Z:\\tmp") + "\\" + status_name;
  std::string script = "'/usr/bin/" + program + "'";
  for (const auto& argument : arguments) script += " '" + argument + "'";
  script += "; echo $? > '" + host_status + "'";

  const std::wstring command_line = Quoted("/bin/sh") + L" -c " + Quoted(script);
  std::wstring mutable_command_line = command_line;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, mutable_command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    return false;
  }
  OwnedHandle process_handle{process.hProcess};
  OwnedHandle thread_handle{process.hThread};

  std::string status;
  const bool ended = WaitUntil(
      [&] {
        std::ifstream file(windows_status);
        return file && std::getline(file, status) && !status.empty();
      },
      timeout);
  DeleteFileA(windows_status.c_str());
  return ended && status == "0";
}

bool XDoTool(const std::vector<std::string>& arguments) {
  return RunHostProgram("xdotool", arguments);
}

std::optional<desktop::ui::imgui::DecodedImage> TakeScreenshot(const std::string& name) {
  const std::string host_folder = EnvironmentOr("KOVO_ARTIFACTS_DIR_UNIX", "/tmp");
  const std::string windows_folder = EnvironmentOr("KOVO_ARTIFACTS_DIR", "Z:\\tmp");
  const std::string display = EnvironmentOr("DISPLAY", ":0");
  const std::string file = name + ".png";
  DeleteFileA((windows_folder + "\\" + file).c_str());
  if (!RunHostProgram("import",
                      {"-display", display, "-window", "root", host_folder + "/" + file})) {
    return std::nullopt;
  }
  std::ifstream png(windows_folder + "\\" + file, std::ios::binary);
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(png)),
                                        std::istreambuf_iterator<char>());
  return desktop::ui::imgui::DecodeImage(bytes.data(), bytes.size());
}

Rgb PixelAt(const desktop::ui::imgui::DecodedImage& image, int x, int y) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) return {-1, -1, -1};
  const std::size_t offset = (static_cast<std::size_t>(y) * image.width + x) * 4;
  return {image.pixels[offset], image.pixels[offset + 1], image.pixels[offset + 2]};
}

bool Near(const Rgb& a, const Rgb& b, int tolerance) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
         std::abs(a.b - b.b) <= tolerance;
}

}  // namespace kovo::testing
