#include "installer/staged_file.h"

#include <utility>

#include "installer/text_conversion.h"

namespace kovo::plugin::web::installer {

StagedFile::StagedFile(std::wstring targetPath)
    : targetPath_(std::move(targetPath)), temporaryPath_(targetPath_ + L".part") {}

StagedFile::~StagedFile() { Discard(); }

bool StagedFile::Open() {
  Discard();
  std::string reason;
  file_ = file_io::CreateForWriting(temporaryPath_, reason);
  if (file_ == file_io::kNoFile) {
    error_ = "cannot create " + ToNarrow(temporaryPath_) + ": " + reason;
    return false;
  }
  temporaryExists_ = true;
  bytesWritten_ = 0;
  return true;
}

bool StagedFile::Write(const char* data, std::size_t size) {
  if (file_ == file_io::kNoFile) {
    error_ = "cannot write " + ToNarrow(temporaryPath_) + ": it is not open";
    return false;
  }
  std::string reason;
  if (!file_io::WriteAll(file_, data, size, reason)) {
    error_ = "cannot write " + ToNarrow(temporaryPath_) + ": " + reason;
    return false;
  }
  bytesWritten_ += size;
  return true;
}

bool StagedFile::Commit() {
  if (file_ == file_io::kNoFile) {
    error_ = "cannot complete " + ToNarrow(temporaryPath_) + ": it is not open";
    return false;
  }
  std::string reason;
  if (!file_io::Close(std::exchange(file_, file_io::kNoFile), reason)) {
    error_ = "cannot complete " + ToNarrow(temporaryPath_) + ": " + reason;
    Discard();
    return false;
  }
  if (!file_io::MoveReplacing(temporaryPath_, targetPath_, reason)) {
    error_ =
        "cannot move " + ToNarrow(temporaryPath_) + " to " + ToNarrow(targetPath_) + ": " + reason;
    Discard();
    return false;
  }
  temporaryExists_ = false;
  return true;
}

void StagedFile::Discard() {
  if (file_ != file_io::kNoFile) {
    std::string ignored;
    file_io::Close(std::exchange(file_, file_io::kNoFile), ignored);
  }
  if (temporaryExists_) {
    file_io::RemoveFile(temporaryPath_);
    temporaryExists_ = false;
  }
}

}  // namespace kovo::plugin::web::installer
