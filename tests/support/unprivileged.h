#pragma once

#include <functional>

#ifndef _WIN32
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace lettermorph {

// Runs `body` as a user without privileges and returns what it returns. Root may write any
// file, so a test of permissions that ran as root would prove nothing: under root the body
// runs in a child process as "nobody". Windows has no such user, and its read-only attribute
// binds everyone alike.
inline int RunUnprivileged(const std::function<int()>& body) {
#ifdef _WIN32
  return body();
#else
  if (geteuid() != 0) {
    return body();
  }
  const pid_t child = fork();
  if (child == 0) {
    constexpr uid_t kNobody = 65534;
    const bool dropped = setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0;
    _exit(dropped ? body() : 125);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
#endif
}

}  // namespace lettermorph
