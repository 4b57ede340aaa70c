#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#ifndef _WIN32
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace lettermorph {

// Runs `body` in a child process that has a file system of `bytes` bytes mounted at `folder`,
// which it makes: seen by that process alone and gone with it, so a test can fill a disk
// without filling the machine's, and leave no mount behind if it fails. Returns what `body`
// returns, or nothing where no file system can be mounted so: without root, or on Windows.
inline std::optional<int> RunOnSmallDisk(const std::filesystem::path& folder, std::size_t bytes,
                                         const std::function<int()>& body) {
#ifdef _WIN32
  (void)folder, (void)bytes, (void)body;
  return std::nullopt;
#else
  constexpr int kCannotMount = 126;
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    std::error_code ignored;
    std::filesystem::create_directory(folder, ignored);
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0777";
    const bool mounted = unshare(CLONE_NEWNS) == 0 &&
                         mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                         mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
    _exit(mounted ? body() : kCannotMount);
  }
  int status = 0;
  waitpid(child, &status, 0);
  std::error_code ignored;
  std::filesystem::remove(folder, ignored);
  if (WIFEXITED(status) && WEXITSTATUS(status) == kCannotMount) {
    return std::nullopt;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
#endif
}

#ifndef _WIN32
// Fills the file system that `file` is made on, up to its last byte.
inline void FillDisk(const std::filesystem::path& file) {
  const int filler = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const std::string block(4096, 'f');
  for (std::size_t size = block.size(); size > 0; size /= 2) {
    while (write(filler, block.data(), size) == static_cast<ssize_t>(size)) {
    }
  }
  close(filler);
}
#endif

}  // namespace lettermorph
