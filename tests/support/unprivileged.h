#pragma once

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>
#include <string>

#ifndef _WIN32
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace lettermorph {

// Runs `body` as a user without privileges and returns what it returns. Root may write any
// file, so a test of permissions that ran as root would prove nothing: under root the body
// runs in a forked child as "nobody". The body runs in this process's code, never from a
// path, so it works wherever the build is, even in a folder nobody may enter. When the child
// cannot become nobody, the test fails saying so and nothing is returned, so that the failure
// is never mistaken for the body's answer. Windows has no such user, and its read-only
// attribute binds everyone alike.
inline std::optional<int> RunUnprivileged(const std::function<int()>& body) {
#ifdef _WIN32
  return body();
#else
  if (geteuid() != 0) {
    return body();
  }
  int report[2];
  const pid_t child = pipe(report) == 0 ? fork() : -1;
  if (child < 0) {
    ADD_FAILURE() << "could not start the test as nobody: " << std::strerror(errno);
    return std::nullopt;
  }
  if (child == 0) {
    close(report[0]);
    constexpr uid_t kNobody = 65534;
    const char* step = setgroups(0, nullptr) != 0 ? "setgroups"
                       : setgid(kNobody) != 0     ? "setgid"
                       : setuid(kNobody) != 0     ? "setuid"
                                                  : nullptr;
    if (step != nullptr) {
      const std::string reason = std::string(step) + ": " + std::strerror(errno);
      (void)!write(report[1], reason.data(), reason.size());
      _exit(125);
    }
    close(report[1]);
    _exit(body());
  }
  close(report[1]);
  std::string reason;
  char buffer[256];
  for (ssize_t got; (got = read(report[0], buffer, sizeof buffer)) > 0;) {
    reason.append(buffer, static_cast<size_t>(got));
  }
  close(report[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!reason.empty()) {
    ADD_FAILURE() << "could not start the test as nobody: " << reason;
    return std::nullopt;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
#endif
}

}  // namespace lettermorph
