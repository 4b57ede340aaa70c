#include "cli/output_file.h"

#include <csignal>
#include <cstring>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace lettermorph {
namespace {

namespace fs = std::filesystem;

#ifndef _WIN32
// The temporary file being written, for the handler below. A signal handler can reach only
// global state, and only async-signal-safe calls such as unlink.
char pendingTemporary[4096];

extern "C" void RemoveTemporaryAndStop(int signal) {
  if (pendingTemporary[0] != '\0') {
    unlink(pendingTemporary);
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}
#endif

// So that Ctrl+C or a terminated session leaves no half-written temporary behind.
void RemoveOnInterrupt(const fs::path& temporary) {
#ifndef _WIN32
  const std::string& name = temporary.native();
  if (name.empty() || name.size() >= sizeof pendingTemporary) {
    return;
  }
  std::memcpy(pendingTemporary, name.c_str(), name.size() + 1);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    // A signal ignored from the start, as Ctrl+C is for a job in the background, stays so.
    struct sigaction previous {};
    sigaction(signal, nullptr, &previous);
    if (previous.sa_handler != SIG_IGN) {
      struct sigaction action {};
      action.sa_handler = RemoveTemporaryAndStop;
      sigaction(signal, &action, nullptr);
    }
  }
#else
  (void)temporary;
#endif
}

void ForgetOnInterrupt() {
#ifndef _WIN32
  pendingTemporary[0] = '\0';
#endif
}

}  // namespace

OutputFile::OutputFile() : name_("standard output"), direct_(FileHandle::StandardOutput()) {}

OutputFile::OutputFile(const fs::path& path) : name_(path.string()) {
  std::error_code ignored;
  const fs::file_status status = fs::status(path, ignored);
  if (fs::exists(status) && !fs::is_regular_file(status) && !fs::is_directory(status)) {
    direct_ = FileHandle::OpenForWriting(path, directError_);
    return;
  }
  replaced_ = std::make_unique<AtomicFile>(path);
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
