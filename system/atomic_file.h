#pragma once

#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

#include "system/file_handle.h"

namespace lettermorph {

// Why a file could not be replaced: the step that failed, the file and the system's reason.
struct FileFailure {
  enum class Step { CreateTemporary, Write, Replace };

  Step step;
  std::filesystem::path file;
  std::error_code reason;
};

// A file given new contents in one step. The bytes go to a new file beside it, reach the disk,
// and take its place in one atomic rename on Commit, so a failure or a crash at any moment
// leaves either the old file or the new one, never a part. Where the name is a symbolic link,
// the file it points to is replaced and the link is kept. Without Commit the old file stays.
class AtomicFile {
 public:
  // Check Failure() before writing: the new file may not have been created.
  explicit AtomicFile(const std::filesystem::path& path);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  bool Write(std::string_view bytes);
  bool Commit();

  // The first failure, if any; nothing is written after it.
  const std::optional<FileFailure>& Failure() const { return failure_; }
  // The new file while it is being written, for a caller that must remove it on a signal.
  const std::filesystem::path& TemporaryPath() const { return temporary_; }

 private:
  void Fail(FileFailure::Step step, std::error_code reason);

  std::filesystem::path path_;
  std::filesystem::path target_;
  std::filesystem::path temporary_;
  FileHandle file_;
  std::optional<FileFailure> failure_;
};

// Replaces the contents of `path` with `bytes` through an AtomicFile.
std::optional<FileFailure> ReplaceFileContents(const std::filesystem::path& path,
                                               std::string_view bytes);

}  // namespace lettermorph
