#include "interrupt_cleanup.h"

#include <signal.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <vector>

namespace lettermorph {

namespace {

// Every signal whose default action ends the process, apart from SIGKILL, which no handler
// sees; the real-time signals are added at run time.
constexpr int kEndingSignals[] = {
    SIGHUP,    SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS,    SIGFPE,  SIGUSR1, SIGSEGV,
    SIGUSR2,   SIGPIPE, SIGALRM, SIGTERM, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGSYS,
#ifdef SIGPOLL
    SIGPOLL,
#endif
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
};

std::vector<int> EndingSignals() {
  std::vector<int> signals(std::begin(kEndingSignals), std::end(kEndingSignals));
#ifdef SIGRTMIN
  for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) {
    signals.push_back(signal);
  }
#endif
  return signals;
}

// The temporary file being written, and how each signal was handled before, for the handler
// below. A signal handler can reach only global state, and only async-signal-safe calls such
// as unlink and sigaction.
char pendingTemporary[4096];
std::array<struct sigaction, 128> previousActions;
std::array<bool, 128> handled;

// Signals that the processor raises for the instruction that faulted: returning runs the
// instruction again, which raises the signal again for the previous handler.
bool RaisedByAFault(int signal, const siginfo_t* info) {
  const bool faultSignal = signal == SIGSEGV || signal == SIGBUS || signal == SIGILL ||
                           signal == SIGFPE || signal == SIGTRAP || signal == SIGSYS;
  return faultSignal && info != nullptr && info->si_code > 0;
}

extern "C" void RemoveTemporaryAndPassOn(int signal, siginfo_t* info, void*) {
  if (pendingTemporary[0] != '\0') {
    unlink(pendingTemporary);
    pendingTemporary[0] = '\0';
  }
  sigaction(signal, &previousActions[static_cast<std::size_t>(signal)], nullptr);
  if (!RaisedByAFault(signal, info)) {
    raise(signal);
  }
}

}  // namespace

void RemoveOnInterrupt(const std::filesystem::path& temporary) {
  const std::string& name = temporary.native();
  if (name.empty() || name.size() >= sizeof pendingTemporary) {
    return;
  }
  std::memcpy(pendingTemporary, name.c_str(), name.size() + 1);
  for (const int signal : EndingSignals()) {
    const auto index = static_cast<std::size_t>(signal);
    if (index >= handled.size() || handled[index]) {
      continue;
    }
    // Only a signal that would end the process is taken over. One ignored from the start, as
    // Ctrl+C is for a job in the background, stays so; one the program handles itself (a
    // timer, say) may well return, and then the save goes on and needs its temporary.
    sigaction(signal, nullptr, &previousActions[index]);
    if ((previousActions[index].sa_flags & SA_SIGINFO) != 0 ||
        previousActions[index].sa_handler != SIG_DFL) {
      continue;
    }
    struct sigaction action {};
    action.sa_sigaction = RemoveTemporaryAndPassOn;
    action.sa_flags = SA_SIGINFO;
    sigfillset(&action.sa_mask);
    handled[index] = sigaction(signal, &action, nullptr) == 0;
  }
}

void ForgetOnInterrupt() {
  pendingTemporary[0] = '\0';
  for (std::size_t signal = 0; signal < handled.size(); ++signal) {
    if (handled[signal]) {
      sigaction(static_cast<int>(signal), &previousActions[signal], nullptr);
      handled[signal] = false;
    }
  }
}

InterruptsHeld::InterruptsHeld() {
  sigset_t all;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, &previous_);
}

InterruptsHeld::~InterruptsHeld() {
  pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

}  // namespace lettermorph
