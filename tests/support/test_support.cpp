#include "support/test_support.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include <kovo-ui-imgui/logger/logger.h>

namespace kovo::testing {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  const auto name = "kovo-test-" + std::to_string(random()) + "-" + std::to_string(counter++);
  path_ = fs::temp_directory_path() / name;
  fs::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

LogCapture::LogCapture() : file_(folder_.Path() / "records.log") {
  desktop::ui::imgui::SetLogFile(file_.wstring());
}

LogCapture::~LogCapture() { desktop::ui::imgui::SetLogFile(L"test.log"); }

std::string LogCapture::RawText() const { return ReadFile(file_); }

std::vector<std::string> LogCapture::Lines() const {
  std::vector<std::string> lines;
  std::istringstream text(RawText());
  std::string line;
  while (std::getline(text, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> LogCapture::Messages() const {
  std::vector<std::string> messages;
  for (const auto& line : Lines()) {
    const auto tab = line.find("]\t", line.find("\t["));
    messages.push_back(tab == std::string::npos ? line : line.substr(tab + 2));
  }
  return messages;
}

bool LogCapture::Contains(const std::string& messagePart) const {
  return RawText().find(messagePart) != std::string::npos;
}

fs::path ArtifactsDir() {
  if (const char* dir = std::getenv("KOVO_ARTIFACTS_DIR"); dir && *dir) {
    fs::create_directories(dir);
    return dir;
  }
  const auto dir = fs::temp_directory_path() / "kovo-test-artifacts";
  fs::create_directories(dir);
  return dir;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return condition();
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void WriteFile(const fs::path& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

}  // namespace kovo::testing
