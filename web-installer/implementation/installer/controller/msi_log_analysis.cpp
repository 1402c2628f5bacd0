#include "installer/controller/msi_log_analysis.h"

#include <kovo-ui-imgui/logger/logger.h>

#include <array>
#include <exception>
#include <optional>
#include <string>
#include <utility>

#include "installer/controller/installer_engine.h"
#include "installer/controller/shared_file.h"
#include "installer/controller/utf16_line_reader.h"
#include "installer/controller/working_files.h"
#include "installer/program_options.h"

namespace kovo::plugin::web::installer {

namespace {

// The Russian log's action-end line: "Действие завершено 12:34:56: InstallFiles. Код возврата 1."
const std::string kReturnValueMarker = "Код возврата";
constexpr int kActionFailed = 3;
// From the first colon (after the hour) past "mm:ss: " to the action name.
constexpr std::size_t kActionNameOffset = 8;

// The last lines read, newest last. The walk before a failed action never
// looks further back, so older lines are dropped as reading goes on.
class RecentLines {
 public:
  // Takes the line's text and hands back an old buffer to read into.
  void Push(std::string& line) {
    std::swap(lines_[next_], line);
    next_ = (next_ + 1) % lines_.size();
    if (count_ < lines_.size()) ++count_;
  }
  std::size_t Count() const { return count_; }
  // 0 is the newest line.
  const std::string& Back(std::size_t distance) const {
    return lines_[(next_ + lines_.size() - 1 - distance) % lines_.size()];
  }

 private:
  std::array<std::string, kCauseSearchLines> lines_;
  std::size_t next_ = 0;
  std::size_t count_ = 0;
};

// The digit one blank after the marker. A marker followed by anything else,
// or by nothing, reports no return value.
std::optional<int> ReturnValueOf(const std::string& line) {
  const std::size_t marker = line.find(kReturnValueMarker);
  if (marker == std::string::npos) return std::nullopt;
  const std::size_t valueAt = marker + kReturnValueMarker.size() + 1;
  if (valueAt >= line.size() || line[valueAt] < '0' || line[valueAt] > '9') return std::nullopt;
  return line[valueAt] - '0';
}

// Only logged: a line without a colon or a full stop gives whatever part of
// it lies within the line, possibly nothing.
std::string ActionNameOf(const std::string& line) {
  const std::size_t colon = line.find(':');
  if (colon == std::string::npos || line.size() - colon <= kActionNameOffset) return std::string();
  const std::size_t start = colon + kActionNameOffset;
  const std::size_t stop = line.find('.', start);
  return line.substr(start, stop == std::string::npos ? std::string::npos : stop - start);
}

ErrorKind KnownTextKind(const std::string& line) {
  for (const auto& [text, kind] : LogErrorTexts) {
    if (line.find(text) != std::string::npos) return kind;
  }
  return kNoError;
}

ErrorKind CauseBefore(const RecentLines& earlier) {
  for (std::size_t distance = 0; distance < earlier.Count(); ++distance) {
    const std::string& line = earlier.Back(distance);
    LOG_DEBUG(line);
    if (const ErrorKind kind = KnownTextKind(line); kind != kNoError) return kind;
  }
  return kInstallFailed;
}

ErrorKind Concluded(ErrorKind result) {
  LOG_DEBUG("Return code: " << result);
  return result;
}

}  // namespace

ErrorKind AnalyzeInstallerLog(std::FILE* log) {
  LOG_DEBUG("Search return codes");
  Utf16LeLineReader reader(log);
  RecentLines earlier;
  std::string line;
  std::size_t lineIndex = 0;
  std::size_t recordedActions = 0;
  std::size_t failedActions = 0;
  ErrorKind result = kInstallFailed;
  while (reader.ReadLine(line)) {
    const std::optional<int> returnValue = ReturnValueOf(line);
    if (returnValue) {
      result = kInstallFailed;
      if (*returnValue == kActionFailed) {
        ++failedActions;
        LOG_DEBUG("Line with error: " << lineIndex);
        result = CauseBefore(earlier);
      }
      LOG_DEBUG("action: " << ActionNameOf(line));
      ++recordedActions;
      if (result != kInstallFailed) break;
    }
    earlier.Push(line);
    ++lineIndex;
  }
  if (reader.Failed()) {
    LOG_DEBUG("The install log could not be read to its end");
    return Concluded(kInstallFailed);
  }
  // Failures are counted per line, not per action name: an action that runs
  // twice must not have its failure overwritten by a later success.
  if (recordedActions == 0) return Concluded(kNoActionResults);
  if (failedActions == 0) return Concluded(kNoError);
  return Concluded(result);
}

ErrorKind InstallerEngine::AnalyzeMsiLog() {
  if (!ProgramOptions::Instance().AnalyzeInstallLog()) return kInstallFailed;
  try {
    const FileHandle log = OpenSharedForReading(WorkingFile(workingFolder_, kInstallLogFileName));
    if (!log) {
      LOG_DEBUG("The install log could not be opened");
      return kInstallFailed;
    }
    return AnalyzeInstallerLog(log.get());
  } catch (const std::exception& error) {
    LOG_DEBUG("The install log could not be analysed: " << error.what());
  } catch (...) {
    LOG_DEBUG("The install log could not be analysed");
  }
  return kInstallFailed;
}

}  // namespace kovo::plugin::web::installer
