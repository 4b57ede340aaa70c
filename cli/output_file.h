#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "system/atomic_file.h"
#include "system/file_handle.h"
#include "text/byte_sink.h"

namespace lettermorph {

// Where the recoded text goes: standard output, or a named file. A regular file (or a name not
// yet taken) is replaced only once all of the text is written, so a failure or an interruption
// part-way leaves its previous contents; a device or a named pipe is written directly.
class OutputFile final : public ByteSink {
 public:
  // Standard output.
  OutputFile();
  // The file the command line names; Error() tells whether it could be opened. `faults` is
  // for tests, as in AtomicFile.
  OutputFile(const std::string& name, const FaultHook& faults);
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  bool Write(std::string_view bytes) override;
  // Finishes the output: a replaced file takes the new contents.
  bool Commit();
  // Whether the output replaces a file, which can still be left as it was.
  bool Replaces() const { return replaced_ != nullptr; }
  // Whether `input` is the file this output writes to directly, as standard output appended
  // to an input is: reading it would read back what was written, without end.
  bool IsInput(const FileHandle& input) const;

  // What failed first, and the name to report it under.
  std::error_code Error() const;
  const std::string& Name() const { return name_; }
  // The reason for the failure, and what it left of a replaced file.
  std::string FailureText() const;
  // Whether writing failed because the reader of a pipe went away.
  bool ReaderGone() const;

 private:
  std::string name_;
  FileHandle direct_;  // standard output, a device or a named pipe
  std::error_code directError_;
  std::unique_ptr<AtomicFile> replaced_;  // a regular file
};

}  // namespace lettermorph
