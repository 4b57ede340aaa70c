#include "system/path_operations.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

namespace lettermorph {

namespace fs = std::filesystem;

bool IsWritable(const fs::path& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && (info.st_mode & 0222) != 0 &&
         faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

std::optional<std::chrono::seconds> AgeOfOwnRegularFile(const fs::path& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid()) {
    return std::nullopt;
  }
  return std::chrono::seconds(time(nullptr) - info.st_mtime);
}

bool IsDevice(const fs::path& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

std::error_code MoveIntoPlace(const fs::path& temporary, const fs::path& target) {
  if (rename(temporary.c_str(), target.c_str()) != 0) {
    return {errno, std::generic_category()};
  }
  // Make the rename itself durable; the new contents are on disk either way.
  const fs::path directory = target.parent_path();
  const int fd = open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
  return {};
}

}  // namespace lettermorph
