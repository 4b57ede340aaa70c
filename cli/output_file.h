#pragma once

#include <filesystem>
#include <string>
#include <system_error>

#include "cli/byte_sink.h"
#include "cli/file_handle.h"

namespace lettermorph {

// Where the recoded text goes: standard output, or a named file that is replaced only when all
// of it has been written. A regular file (or a name not yet taken) is written through a new
// file beside it, which takes its place on Commit, so a failure or an interruption part-way
// leaves the previous contents; a device or a named pipe is written directly.
class OutputFile final : public ByteSink {
 public:
  // Standard output.
  OutputFile();
  // The named file; Error() tells whether it could be opened.
  explicit OutputFile(const std::filesystem::path& path);
  // Removes the temporary file unless Commit moved it into place.
  ~OutputFile() override;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  bool Write(std::string_view bytes) override;
  // Finishes the output: the temporary file reaches the disk and replaces the named one.
  bool Commit();

  // What failed last, and the name to report it under.
  std::error_code Error() const { return error_; }
  const std::string& Name() const { return name_; }

 private:
  void Discard();

  FileHandle file_;
  std::string name_;
  std::filesystem::path target_;     // the file the temporary replaces
  std::filesystem::path temporary_;  // empty when writing directly
  std::error_code error_;
};

}  // namespace lettermorph
