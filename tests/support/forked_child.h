#pragma once

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

namespace lettermorph {

// Runs `body` in a forked child of this process, so that what it changes (its user, its
// mounts, its limits, its standard error) dies with it. Returns its exit status, or 128 + the
// signal that ended it, as a shell reports it.
inline int RunInChild(const std::function<int()>& body) {
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    _exit(body());
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace lettermorph
#endif
