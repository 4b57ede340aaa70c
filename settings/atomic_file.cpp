#include "settings/atomic_file.h"

#include <algorithm>
#include <random>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace lettermorph {
namespace {

namespace fs = std::filesystem;

std::error_code LastError() {
#ifdef _WIN32
  return {static_cast<int>(GetLastError()), std::system_category()};
#else
  return {errno, std::generic_category()};
#endif
}

// The file a chain of symbolic links ends at; `path` itself when it is no link.
fs::path FollowLinks(fs::path path, std::error_code& error) {
  for (int hop = 0; hop < 40; ++hop) {
    if (!fs::is_symlink(fs::symlink_status(path, error))) {
      error.clear();
      return path;
    }
    const fs::path target = fs::read_symlink(path, error);
    if (error) {
      return path;
    }
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  error = std::make_error_code(std::errc::too_many_symbolic_link_levels);
  return path;
}

// A new, exclusively created file beside the one it will replace, removed again unless
// Commit moves it into place.
class TemporaryFile {
 public:
  explicit TemporaryFile(const fs::path& target) : target_(target) {}
  ~TemporaryFile() {
    Close();
    if (!committed_ && !path_.empty()) {
      std::error_code ignored;
      fs::remove(path_, ignored);
    }
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  std::error_code Create() {
    std::random_device seed;
    std::mt19937 random(seed());
    const char* digits = "0123456789abcdefghijklmnopqrstuvwxyz";
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string suffix = ".tmp-";
      for (int i = 0; i < 8; ++i) {
        suffix += digits[random() % 36];
      }
      fs::path candidate = target_;
      candidate += suffix;
      if (OpenExclusive(candidate)) {
        path_ = candidate;
        return {};
      }
      if (LastError() != std::errc::file_exists) {
        return LastError();
      }
    }
    return std::make_error_code(std::errc::file_exists);
  }

  std::error_code Write(std::string_view bytes);
  std::error_code FlushAndClose();
  std::error_code Commit();

 private:
  bool OpenExclusive(const fs::path& candidate);
  void Close();

  fs::path target_;
  fs::path path_;
  bool committed_ = false;
#ifdef _WIN32
  HANDLE handle_ = INVALID_HANDLE_VALUE;
#else
  int fd_ = -1;
#endif
};

#ifdef _WIN32

bool TemporaryFile::OpenExclusive(const fs::path& candidate) {
  handle_ = CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
  return handle_ != INVALID_HANDLE_VALUE;
}

std::error_code TemporaryFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(handle_, bytes.data(), piece, &written, nullptr)) {
      return LastError();
    }
    bytes.remove_prefix(written);
  }
  return {};
}

std::error_code TemporaryFile::FlushAndClose() {
  if (!FlushFileBuffers(handle_)) {
    return LastError();
  }
  const bool closed = CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
  return closed ? std::error_code() : LastError();
}

std::error_code TemporaryFile::Commit() {
  // ReplaceFileW keeps the old file's attributes and security; it needs the old file to exist.
  const bool replaced = fs::exists(target_)
                            ? ReplaceFileW(target_.c_str(), path_.c_str(), nullptr,
                                           REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                            : MoveFileExW(path_.c_str(), target_.c_str(),
                                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!replaced) {
    return LastError();
  }
  committed_ = true;
  return {};
}

void TemporaryFile::Close() {
  if (handle_ != INVALID_HANDLE_VALUE) {
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }
}

#else

bool TemporaryFile::OpenExclusive(const fs::path& candidate) {
  fd_ = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd_ < 0) {
    return false;
  }
  // A replaced file keeps its permissions; a new one gets the umask's, as any new file would.
  struct stat existing;
  if (stat(target_.c_str(), &existing) == 0) {
    fchmod(fd_, existing.st_mode & 07777);
  }
  return true;
}

std::error_code TemporaryFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(fd_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return LastError();
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return {};
}

std::error_code TemporaryFile::FlushAndClose() {
  if (fsync(fd_) != 0) {
    return LastError();
  }
  const int result = close(fd_);
  fd_ = -1;
  return result == 0 ? std::error_code() : LastError();
}

std::error_code TemporaryFile::Commit() {
  if (rename(path_.c_str(), target_.c_str()) != 0) {
    return LastError();
  }
  committed_ = true;
  // Make the rename itself durable; the new contents are safe on disk either way.
  fs::path directory = target_.parent_path();
  const int dirFd = open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_CLOEXEC);
  if (dirFd >= 0) {
    fsync(dirFd);
    close(dirFd);
  }
  return {};
}

void TemporaryFile::Close() {
  if (fd_ >= 0) {
    close(fd_);
    fd_ = -1;
  }
}

#endif

}  // namespace

std::optional<FileFailure> ReplaceFileContents(const fs::path& path, std::string_view bytes) {
  std::error_code error;
  // Absolute, because Windows' ReplaceFileW cannot find the folder of a bare file name.
  const fs::path target = fs::absolute(FollowLinks(path, error), error);
  if (error) {
    return FileFailure{FileFailure::Step::CreateTemporary, path, error};
  }
  // A directory under the name is never replaced, whatever the platform's rename would do.
  if (fs::is_directory(target, error)) {
    return FileFailure{FileFailure::Step::Replace, path,
                       std::make_error_code(std::errc::is_a_directory)};
  }
  TemporaryFile temporary(target);
  if (auto created = temporary.Create()) {
    return FileFailure{FileFailure::Step::CreateTemporary, path, created};
  }
  if (auto written = temporary.Write(bytes)) {
    return FileFailure{FileFailure::Step::Write, path, written};
  }
  if (auto flushed = temporary.FlushAndClose()) {
    return FileFailure{FileFailure::Step::Write, path, flushed};
  }
  if (auto replaced = temporary.Commit()) {
    return FileFailure{FileFailure::Step::Replace, path, replaced};
  }
  return std::nullopt;
}

}  // namespace lettermorph
