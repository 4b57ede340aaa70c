#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>
#include <system_error>

#include "system/file_handle.h"

namespace lettermorph {

// The steps of reading a file and of writing one.
enum class FileStep {
  Read,     // reading the next piece of a file
  Create,   // making the new file, or opening the old one to rewrite it
  Write,    // writing the contents
  Sync,     // making them reach the disk
  Flush,    // closing the file, when the last buffered writes are reported
  Reserve,  // making room in the old file for the new contents, before it is rewritten in place
  Replace,  // putting the new file, or when rewriting in place the new contents, in its place
};

// What a failure left under the file's name.
enum class FileLeft {
  Old,          // the old file, every byte of it (or still no file)
  Damaged,      // part of the new contents over the old: a rewrite in place failed part-way
  NewUnsynced,  // the new contents, rewritten in place, which may not all have reached the disk
};

// Why a file could not be written: the step that failed, the file, the system's reason, and
// what is left under the file's name.
struct FileFailure {
  FileStep step;
  std::filesystem::path file;
  std::error_code reason;
  FileLeft left = FileLeft::Old;
};

// Asked before each step: an error makes the step fail with that reason without running it,
// so that tests can make any step fail on any platform. Making the new file asks once for
// the unnamed file, and again for each way it falls back to: a named file (after
// errc::operation_not_supported) and the rewrite in place (after a refused permission).
using FaultHook = std::function<std::error_code(FileStep)>;

// A file given new contents in one step. The bytes go to a new file beside it, reach the
// disk, and take its place in one atomic rename on Commit, so a failure or a crash at any
// moment leaves either the old file or the new one, never a part.
// - Where the name is a symbolic link, the file it points to is replaced and the link kept.
// - A read-only file is not replaced, whoever runs the program, and a directory under the
//   name never is.
// - The new file is private to its owner until Commit, when it takes the old one's permissions,
//   and its owner and group where allowed.
// - Where the system allows, the new file has no name until Commit. While it has one, a signal
//   that ends the program removes it; a temporary file that a save killed outright left behind
//   is removed by a later save after a day.
// - When no new file can be made beside a writable file, for want of permission on its
//   folder, the file is rewritten in place instead. The new contents are first made whole in a
//   private file in the system's temporary folder, and room for them is made in the old file;
//   any failure until then leaves the old file as it was. Signals that would end the program
//   wait while room is made and the file overwritten. Only a failure of the overwrite itself, such
//   as a disk error, can leave part of the new contents over the old, and the failure then says so.
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

 private:
  enum class Method { Unnamed, Temporary, InPlace };

  void Create(const std::filesystem::file_status& existing);
  std::error_code CreateUnnamed();
  std::error_code CreateTemporary();
  std::error_code OpenInPlace();
  std::error_code NameUnnamed();
  std::error_code TakeTemporaryName(
      const std::function<std::error_code(const std::filesystem::path&)>& make);
  bool CommitBeside();
  bool CommitInPlace();
  std::error_code Overwrite(bool& touched);
  std::error_code Run(FileStep step, const std::function<std::error_code()>& action);
  // Runs the step, and records its failure with what it left; false when it failed.
  bool RunOrFail(FileStep step, const std::function<std::error_code()>& action,
                 FileLeft left = FileLeft::Old);
  void Fail(FileStep step, std::error_code reason, FileLeft left = FileLeft::Old);
  void Discard();

  std::filesystem::path path_;
  std::filesystem::path target_;
  std::filesystem::path temporary_;  // the new file while it has a name of its own
  FaultHook faults_;
  Method method_ = Method::Temporary;
  bool existed_ = false;
  FileHandle file_;       // the new file, or the private copy of the contents to rewrite in place
  FileHandle rewritten_;  // the old file, when it is rewritten in place
  std::uint64_t oldLength_ = 0;
  std::uint64_t written_ = 0;
  std::optional<FileFailure> failure_;
};

// Replaces the contents of `path` with `bytes` through an AtomicFile.
std::optional<FileFailure> ReplaceFileContents(const std::filesystem::path& path,
                                               std::string_view bytes, FaultHook faults = {});

}  // namespace lettermorph
