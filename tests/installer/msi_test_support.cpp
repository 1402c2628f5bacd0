#include "installer/msi_test_support.h"

#include <stdexcept>

#include "installer/text_conversion.h"

namespace kovo::testing {

namespace fs = std::filesystem;
namespace installer = plugin::web::installer;

namespace {

// A Russian user's %TMP% has a Cyrillic name. Off Windows, std::filesystem
// converts wide paths only as far as ASCII reaches, so there the folder name
// stays ASCII (with a blank, which the command lines must quote).
// The package download names its file in the user's code page: with the
// real system a Cyrillic folder is used only where that code page has it.
#if defined(_WIN32)
const char kCyrillicFolderName[] = "Рабочая папка";
#endif
const char kAsciiFolderName[] = "working folder";

fs::path WorkingFolderName(RigSystem system) {
#if defined(_WIN32)
  const std::wstring cyrillic = fs::u8path(kCyrillicFolderName).wstring();
  const bool nameable = installer::FromNarrow(installer::ToNarrow(cyrillic)) == cyrillic;
  if (system == RigSystem::Fake || nameable) return cyrillic;
#else
  (void)system;
#endif
  return fs::u8path(kAsciiFolderName);
}

std::wstring CreatedFolder(const fs::path& folder) {
  fs::create_directories(folder);
  return folder.wstring();
}

}  // namespace

EngineRig::EngineRig(RigSystem system)
    : model_(desktop::ui::imgui::EventQueuer(queue_, events_)),
      folder_(temp_.Path() / WorkingFolderName(system)),
      engine_(model_, CreatedFolder(folder_)) {
  if (system == RigSystem::Fake) scopedSystem_.emplace(system_);
}

ProgramOptionsRestorer::~ProgramOptionsRestorer() {
  auto& options = installer::ProgramOptions::Instance();
  options.SetCheckEnvironment(true);
  options.SetDownloadPackage(true);
  options.SetInstallPackage(true);
  options.SetAnalyzeInstallLog(true);
}

namespace {

// Enough of a UTF-8 decoder for test texts; the code under test has its own.
std::u32string CodePoints(const std::string& utf8) {
  std::u32string out;
  for (size_t at = 0; at < utf8.size();) {
    const unsigned char lead = static_cast<unsigned char>(utf8[at]);
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (at + length > utf8.size()) throw std::invalid_argument("truncated UTF-8 in a test text");
    char32_t codePoint = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) codePoint = (codePoint << 6) | (utf8[at + i] & 0x3F);
    out += codePoint;
    at += length;
  }
  return out;
}

void AppendUnit(char32_t unit, std::string& out) {
  out += static_cast<char>(unit & 0xFF);
  out += static_cast<char>((unit >> 8) & 0xFF);
}

}  // namespace

std::string Utf16Le(const std::string& utf8) {
  std::string bytes;
  for (char32_t codePoint : CodePoints(utf8)) {
    if (codePoint >= 0x10000) {
      AppendUnit(0xD800 + ((codePoint - 0x10000) >> 10), bytes);
      AppendUnit(0xDC00 + ((codePoint - 0x10000) & 0x3FF), bytes);
    } else {
      AppendUnit(codePoint, bytes);
    }
  }
  return bytes;
}

void WriteInstallerLog(const fs::path& file, const std::vector<std::string>& lines, bool byteOrderMark) {
  std::string bytes = byteOrderMark ? Utf16Le("\xEF\xBB\xBF") : std::string();
  for (const auto& line : lines) bytes += Utf16Le(line + "\r\n");
  WriteFile(file, bytes);
}

std::string ActionEnded(const std::string& action, const std::string& value) {
  return "Действие завершено 12:34:56: " + action + ". Код возврата " + value + ".";
}

std::string PlainLine(int number) {
  return "MSI (s) (1C:2C) [12:34:56:" + std::to_string(100 + number % 900) +
         "]: Выполняется операция: ПапкаНазначения(Папка=C:\\Program Files\\КОВО\\)";
}

}  // namespace kovo::testing
