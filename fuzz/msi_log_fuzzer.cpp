// Any byte string as an install log: the analysis must neither crash nor
// misread memory, must answer one of its kinds, and must answer exactly what
// walking every line read so far would (it keeps only the lines it can reach).
#include <kovo-ui-imgui/logger/logger.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "installer/controller/msi_log_analysis.h"
#include "installer/controller/utf16_line_reader.h"
#include "installer/error_catalogue.h"

namespace installer = kovo::plugin::web::installer;

namespace {

const std::string kMarker = "Код возврата";

// The analysis with every line kept.
installer::ErrorKind AnalyseKeepingEveryLine(std::FILE* log) {
  installer::Utf16LeLineReader reader(log);
  std::vector<std::string> lines;
  std::string line;
  std::size_t actions = 0;
  std::size_t failures = 0;
  installer::ErrorKind result = 1;
  while (reader.ReadLine(line)) {
    const std::size_t marker = line.find(kMarker);
    const std::size_t valueAt = marker + kMarker.size() + 1;
    const bool hasValue = marker != std::string::npos && valueAt < line.size() && line[valueAt] >= '0' &&
                          line[valueAt] <= '9';
    if (hasValue) {
      ++actions;
      result = 1;
      if (line[valueAt] == '3') {
        ++failures;
        for (std::size_t back = 1; back <= installer::kCauseSearchLines && back <= lines.size() && result == 1;
             ++back) {
          for (const auto& [text, kind] : installer::LogErrorTexts) {
            if (lines[lines.size() - back].find(text) != std::string::npos) {
              result = kind;
              break;
            }
          }
        }
      }
      if (result != 1) break;
    }
    lines.push_back(line);
  }
  if (reader.Failed()) return 1;
  if (actions == 0) return 6;
  return failures == 0 ? 0 : result;
}

std::FILE* OpenBytes(const std::uint8_t* data, std::size_t size) {
  return fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Records of an empty path are dropped at once: the run measures the analysis.
  kovo::desktop::ui::imgui::SetLogFile(L"");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;  // fmemopen wants a buffer; the empty log has a unit test
  std::FILE* bounded = OpenBytes(data, size);
  std::FILE* unbounded = OpenBytes(data, size);
  if (!bounded || !unbounded) std::abort();
  const installer::ErrorKind kind = installer::AnalyzeInstallerLog(bounded);
  const installer::ErrorKind expected = AnalyseKeepingEveryLine(unbounded);
  std::fclose(bounded);
  std::fclose(unbounded);
  if (kind != expected) std::abort();
  if (installer::ErrorCatalogue.count(kind) != 1) std::abort();
  return 0;
}
