#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#ifndef _WIN32
#include <grp.h>

#include "forked_child.h"
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
  constexpr int kCannotDrop = 125;
  const int status = RunInChild([&body] {
    constexpr uid_t kNobody = 65534;
    if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) {
      std::perror("could not become nobody");
      return kCannotDrop;
    }
    return body();
  });
  if (status == kCannotDrop) {
    ADD_FAILURE() << "could not start the test as nobody: see its standard error";
    return std::nullopt;
  }
  return status;
#endif
}

}  // namespace lettermorph
