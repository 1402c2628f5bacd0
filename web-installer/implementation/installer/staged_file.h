// A file written beside its target under a temporary name and moved over the
// target only when it is complete: nobody ever finds a partial file at the
// target, and an older file there stays as it was until the new one is whole.
// Paths are wide: a folder the user's code page cannot name must still work.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kovo::plugin::web::installer {

namespace file_io {

// The few file operations a staged file needs, in the platform's terms.
// Failures return false (or kNoFile) and put the system's reason in `reason`.
using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

// Creates or truncates a file for writing; others may read and write it meanwhile.
FileHandle CreateForWriting(const std::wstring& path, std::string& reason);
bool WriteAll(FileHandle file, const char* data, std::size_t size, std::string& reason);
bool Close(FileHandle file, std::string& reason);
// Moves a file over another in one step, replacing it when it exists.
bool MoveReplacing(const std::wstring& from, const std::wstring& to, std::string& reason);
void RemoveFile(const std::wstring& path);

}  // namespace file_io

class StagedFile {
 public:
  explicit StagedFile(std::wstring targetPath);
  ~StagedFile();  // discards what was not committed
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  // Creates (or truncates) the temporary file beside the target.
  bool Open();
  bool Write(const char* data, std::size_t size);
  // Closes the temporary file and moves it over the target.
  bool Commit();
  // Closes and removes the temporary file; the target is not touched.
  void Discard();

  const std::wstring& TargetPath() const { return targetPath_; }
  const std::wstring& TemporaryPath() const { return temporaryPath_; }
  std::uint64_t BytesWritten() const { return bytesWritten_; }
  // What went wrong last, for the log.
  const std::string& Error() const { return error_; }

 private:
  std::wstring targetPath_;
  std::wstring temporaryPath_;
  file_io::FileHandle file_ = file_io::kNoFile;
  bool temporaryExists_ = false;
  std::uint64_t bytesWritten_ = 0;
  std::string error_;
};

}  // namespace kovo::plugin::web::installer
