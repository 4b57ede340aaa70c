#include "output_file.h"

#include "system/error_text.h"
#include "system/path_operations.h"
#include "system/program_arguments.h"

namespace lettermorph {

OutputFile::OutputFile() : name_("standard output"), direct_(FileHandle::StandardOutput()) {}

OutputFile::OutputFile(const std::string& name, const FaultHook& faults) : name_(name) {
  const std::filesystem::path path = PathFromArgument(name);
  if (IsDevice(path)) {
    direct_ = FileHandle::OpenForWriting(path, directError_);
    return;
  }
  replaced_ = std::make_unique<AtomicFile>(path, faults);
}

bool OutputFile::Write(std::string_view bytes) {
  if (replaced_) {
    return replaced_->Write(bytes);
  }
  if (!directError_) {
    directError_ = direct_.WriteAll(bytes);
  }
  return !directError_;
}

bool OutputFile::Commit() {
  return replaced_ ? replaced_->Commit() : !directError_;
}

bool OutputFile::IsInput(const FileHandle& input) const {
  return !replaced_ && direct_.IsSameNonEmptyFile(input);
}

std::error_code OutputFile::Error() const {
  if (replaced_) {
    return replaced_->Failure() ? replaced_->Failure()->reason : std::error_code();
  }
  return directError_;
}

std::string OutputFile::FailureText() const {
  const std::string reason = ErrorText(Error());
  if (!replaced_ || !replaced_->Failure()) {
    return reason;
  }
  switch (replaced_->Failure()->left) {
    case FileLeft::Old:
      return reason + "; left as it was";
    case FileLeft::Damaged:
      return reason +
             "; the file was being rewritten in place and is damaged: it holds part of "
             "the new text over the old";
    case FileLeft::NewUnsynced:
      return reason +
             "; the file was rewritten in place, but the new text may not all have "
             "reached the disk";
  }
  return reason;
}

bool OutputFile::ReaderGone() const {
  return !replaced_ && directError_ == std::errc::broken_pipe;
}

}  // namespace lettermorph
