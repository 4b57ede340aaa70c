#include "cli/output_file.h"

#include <csignal>
#include <cstring>
#include <random>

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
  if (name.size() >= sizeof pendingTemporary) {
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

std::string RandomSuffix() {
  std::random_device seed;
  std::mt19937 random(seed());
  const char* digits = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string suffix = ".tmp-";
  for (int i = 0; i < 8; ++i) {
    suffix += digits[random() % 36];
  }
  return suffix;
}

}  // namespace

OutputFile::OutputFile() : file_(FileHandle::StandardOutput()), name_("standard output") {}

OutputFile::OutputFile(const fs::path& path) : name_(path.string()) {
  std::error_code ignored;
  const fs::file_status status = fs::status(path, ignored);
  if (fs::exists(status) && !fs::is_regular_file(status)) {
    file_ = FileHandle::OpenForWriting(path, error_);
    return;
  }
  // Through a symbolic link the file it points to is replaced and the link is kept.
  target_ = fs::weakly_canonical(path, ignored);
  if (target_.empty()) {
    target_ = path;
  }
  constexpr fs::perms kNewFile = fs::perms::owner_read | fs::perms::owner_write |
                                 fs::perms::group_read | fs::perms::group_write |
                                 fs::perms::others_read | fs::perms::others_write;
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate = target_;
    candidate += RandomSuffix();
    file_ = FileHandle::CreateNew(candidate, kNewFile, error_);
    if (!error_) {
      temporary_ = candidate;
      RemoveOnInterrupt(temporary_);
      // A replaced file keeps its permissions; a new one gets those the umask gives.
      if (fs::exists(status)) {
        fs::permissions(temporary_, status.permissions(), ignored);
      }
      return;
    }
    if (error_ != std::errc::file_exists) {
      return;
    }
  }
}

OutputFile::~OutputFile() {
  Discard();
}

bool OutputFile::Write(std::string_view bytes) {
  if (!error_) {
    error_ = file_.WriteAll(bytes);
  }
  return !error_;
}

bool OutputFile::Commit() {
  if (!error_ && !temporary_.empty()) {
    error_ = file_.Sync();
    if (!error_) {
      error_ = file_.Close();
    }
    if (!error_) {
      fs::rename(temporary_, target_, error_);
    }
    if (!error_) {
      temporary_.clear();
      ForgetOnInterrupt();
    }
  }
  if (error_) {
    Discard();
  }
  return !error_;
}

void OutputFile::Discard() {
  file_.Close();
  if (!temporary_.empty()) {
    ForgetOnInterrupt();
    std::error_code ignored;
    fs::remove(temporary_, ignored);
    temporary_.clear();
  }
}

}  // namespace lettermorph
