#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>
#include <system_error>

#include "system/file_handle.h"

namespace lettermorph {

// The steps of reading a file and of writing one, in the order they run.
enum class FileStep {
  Read,     // reading the next piece of a file
  Create,   // making the new file, or opening the old one to rewrite it
  Write,    // writing the contents
  Sync,     // making them reach the disk
  Flush,    // closing the file, when the last buffered writes are reported
  Replace,  // putting the new file in the old one's place
};

// Why a file could not be written: the step that failed, the file and the system's reason.
struct FileFailure {
  FileStep step;
  std::filesystem::path file;
  std::error_code reason;
  // False when the file was being rewritten in place and may now hold part of the new text.
  bool oldFileKept = true;
};

// Asked before each step: an error makes the step fail with that reason without running it,
// so that tests can make any step fail on any platform.
using FaultHook = std::function<std::error_code(FileStep)>;

// A file given new contents in one step. The bytes go to a new file beside it, reach the
// disk, and take its place in one atomic rename on Commit, so a failure or a crash at any
// moment leaves either the old file or the new one, never a part.
// - Where the name is a symbolic link, the file it points to is replaced and the link kept.
// - A file this program may not write, such as one made read-only, is not replaced, and a
//   directory under the name never is.
// - The new file keeps the old one's permissions, and its owner and group where allowed.
// - Where the system allows, the new file has no name until Commit, so a killed program
//   leaves nothing behind; temporary files that an earlier run left are removed after a day.
// - When no new file can be made beside a writable file, for want of permission on its
//   folder, the file is rewritten in place instead; that cannot be atomic.
// Without Commit the old file stays.
class AtomicFile {
 public:
  // Check Failure() before writing: the new file may not have been created.
  explicit AtomicFile(const std::filesystem::path& path, FaultHook faults = {});
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  bool Write(std::string_view bytes);
  bool Commit();

  // The first failure, if any; nothing is written after it, and the new file is gone.
  const std::optional<FileFailure>& Failure() const { return failure_; }
  // The new file while it exists under a name, for a caller that must remove it on a signal.
  const std::filesystem::path& TemporaryPath() const { return temporary_; }

 private:
  enum class Method { Unnamed, Temporary, InPlace };

  void Create(const std::filesystem::file_status& existing);
  std::error_code CreateTemporary();
  std::error_code Run(FileStep step, const std::function<std::error_code()>& action);
  void Fail(FileStep step, std::error_code reason);
  void Discard();

  std::filesystem::path path_;
  std::filesystem::path target_;
  std::filesystem::path temporary_;
  FaultHook faults_;
  Method method_ = Method::Temporary;
  FileHandle file_;
  std::uint64_t written_ = 0;
  std::optional<FileFailure> failure_;
};

// Replaces the contents of `path` with `bytes` through an AtomicFile.
std::optional<FileFailure> ReplaceFileContents(const std::filesystem::path& path,
                                               std::string_view bytes, FaultHook faults = {});

}  // namespace lettermorph
