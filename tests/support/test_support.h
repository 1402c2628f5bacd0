// Small helpers shared by the test programs of every build flavour.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kovo::testing {

// A fresh folder, removed with its content when the object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Points the logger at a file of its own for the lifetime of the object and
// reads the records back.
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  std::vector<std::string> Lines() const;  // records without their line ends
  std::vector<std::string> Messages() const;  // the message part of each record
  std::string RawText() const;  // the file byte for byte
  bool Contains(const std::string& messagePart) const;
  const std::filesystem::path& File() const { return file_; }

 private:
  TempFolder folder_;
  std::filesystem::path file_;
};

// Where a test leaves logs and screenshots (KOVO_ARTIFACTS_DIR, else a temp folder).
std::filesystem::path ArtifactsDir();

// Polls until the condition holds or the time is up; returns the last answer.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(5));

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& content);

}  // namespace kovo::testing
