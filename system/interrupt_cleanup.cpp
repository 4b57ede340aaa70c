#include "system/interrupt_cleanup.h"

#ifndef _WIN32
#include <signal.h>
#include <unistd.h>

#include <cstring>
#endif

namespace lettermorph {

#ifdef _WIN32

void RemoveOnInterrupt(const std::filesystem::path&) {}

void ForgetOnInterrupt() {}

#else

namespace {

// The temporary file being written, for the handler below. A signal handler can reach only
// global state, and only async-signal-safe calls such as unlink.
char pendingTemporary[4096];

extern "C" void RemoveTemporaryAndStop(int signal) {
  if (pendingTemporary[0] != '\0') {
    unlink(pendingTemporary);
  }
  ::signal(signal, SIG_DFL);
  raise(signal);
}

}  // namespace

void RemoveOnInterrupt(const std::filesystem::path& temporary) {
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
}

void ForgetOnInterrupt() {
  pendingTemporary[0] = '\0';
}

#endif

}  // namespace lettermorph
