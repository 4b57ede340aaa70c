#include "system/file_handle.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

namespace lettermorph {
namespace {

std::error_code LastError() {
  return {errno, std::generic_category()};
}

#ifdef _WIN32
int OpenFile(const std::filesystem::path& path, int flags, int mode = 0) {
  return _wopen(path.c_str(), flags | _O_BINARY | _O_NOINHERIT, mode);
}
long ReadSome(int fd, char* data, std::size_t size) {
  return _read(fd, data, static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30)));
}
long WriteSome(int fd, const char* data, std::size_t size) {
  return _write(fd, data, static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30)));
}
int SyncFile(int fd) {
  return _commit(fd);
}
int CloseFile(int fd) {
  return _close(fd);
}
constexpr int kWriteOnly = _O_WRONLY;
constexpr int kCreateNew = _O_WRONLY | _O_CREAT | _O_EXCL;
constexpr int kReadOnly = _O_RDONLY;
#else
int OpenFile(const std::filesystem::path& path, int flags, int mode = 0) {
  return open(path.c_str(), flags | O_CLOEXEC, mode);
}
ssize_t ReadSome(int fd, char* data, std::size_t size) {
  return read(fd, data, size);
}
ssize_t WriteSome(int fd, const char* data, std::size_t size) {
  return write(fd, data, size);
}
int SyncFile(int fd) {
  return fsync(fd);
}
int CloseFile(int fd) {
  return close(fd);
}
constexpr int kWriteOnly = O_WRONLY;
constexpr int kCreateNew = O_WRONLY | O_CREAT | O_EXCL;
constexpr int kReadOnly = O_RDONLY;
#endif

}  // namespace

FileHandle::FileHandle(FileHandle&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), owned_(other.owned_) {}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    owned_ = other.owned_;
  }
  return *this;
}

FileHandle::~FileHandle() {
  Close();
}

FileHandle FileHandle::StandardInput() {
#ifdef _WIN32
  _setmode(0, _O_BINARY);
#endif
  return FileHandle(0, false);
}

FileHandle FileHandle::StandardOutput() {
#ifdef _WIN32
  _setmode(1, _O_BINARY);
#endif
  return FileHandle(1, false);
}

FileHandle FileHandle::OpenForReading(const std::filesystem::path& path, std::error_code& error) {
  const int fd = OpenFile(path, kReadOnly);
  error = fd < 0 ? LastError() : std::error_code();
  return FileHandle(fd, true);
}

FileHandle FileHandle::OpenForWriting(const std::filesystem::path& path, std::error_code& error) {
  const int fd = OpenFile(path, kWriteOnly);
  error = fd < 0 ? LastError() : std::error_code();
  return FileHandle(fd, true);
}

FileHandle FileHandle::CreateNew(const std::filesystem::path& path,
                                 std::filesystem::perms permissions, std::error_code& error) {
  const int fd = OpenFile(path, kCreateNew, static_cast<int>(permissions));
  error = fd < 0 ? LastError() : std::error_code();
  return FileHandle(fd, true);
}

std::optional<std::size_t> FileHandle::Read(std::span<char> buffer, std::error_code& error) {
  for (;;) {
    const auto got = ReadSome(fd_, buffer.data(), buffer.size());
    if (got >= 0) {
      return static_cast<std::size_t>(got);
    }
    if (errno != EINTR) {
      error = LastError();
      return std::nullopt;
    }
  }
}

std::error_code FileHandle::WriteAll(std::string_view bytes) {
  while (!bytes.empty()) {
    const auto written = WriteSome(fd_, bytes.data(), bytes.size());
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

std::error_code FileHandle::Sync() {
  return SyncFile(fd_) == 0 ? std::error_code() : LastError();
}

std::error_code FileHandle::Close() {
  const int fd = std::exchange(fd_, -1);
  if (fd < 0 || !owned_) {
    return {};
  }
  return CloseFile(fd) == 0 ? std::error_code() : LastError();
}

}  // namespace lettermorph
