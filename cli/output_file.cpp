#include "cli/output_file.h"

#include "system/interrupt_cleanup.h"
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
  RemoveOnInterrupt(replaced_->TemporaryPath());
}

OutputFile::~OutputFile() {
  ForgetOnInterrupt();
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
  const bool committed = replaced_ ? replaced_->Commit() : !directError_;
  ForgetOnInterrupt();
  return committed;
}

std::error_code OutputFile::Error() const {
  if (replaced_) {
    return replaced_->Failure() ? replaced_->Failure()->reason : std::error_code();
  }
  return directError_;
}

}  // namespace lettermorph
