#include "system/file_handle.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <utility>

#ifdef _WIN32
#include <windows.h>
// windows.h must come first.
#include <io.h>
#include <sys/stat.h>

#include "system/windows_error.h"
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace lettermorph {
namespace {

std::error_code LastError() {
  return {errno, std::generic_category()};
}

#ifdef _WIN32
int OpenFile(const std::filesystem::path& path, int flags) {
  return _wopen(path.c_str(), flags | _O_BINARY | _O_NOINHERIT);
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
int TruncateFile(int fd, std::uint64_t size) {
  errno = _chsize_s(fd, static_cast<__int64>(size));
  return errno == 0 ? 0 : -1;
}
int CloseFile(int fd) {
  return _close(fd);
}
std::error_code MarkForDeletion(int fd, bool deleteOnClose) {
  FILE_DISPOSITION_INFO disposition{static_cast<BOOLEAN>(deleteOnClose)};
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition)
             ? std::error_code()
             : LastWindowsError();
}
constexpr int kWriteOnly = _O_WRONLY;
constexpr int kReadOnly = _O_RDONLY;
#else
int OpenFile(const std::filesystem::path& path, int flags, mode_t mode = 0) {
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
int TruncateFile(int fd, std::uint64_t size) {
  return ftruncate(fd, static_cast<off_t>(size));
}
int CloseFile(int fd) {
  return close(fd);
}
constexpr int kWriteOnly = O_WRONLY;
constexpr int kReadOnly = O_RDONLY;
// Read and write for all, less what the umask takes away, as for any new file.
constexpr mode_t kNewFileMode = 0666;
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

FileHandle FileHandle::CreateUnnamed(const std::filesystem::path& directory,
                                     std::error_code& error) {
#ifdef O_TMPFILE
  const int fd = OpenFile(directory.empty() ? "." : directory, O_TMPFILE | O_WRONLY, kNewFileMode);
  if (fd >= 0) {
    error.clear();
    return FileHandle(fd, true);
  }
  // Kernels and file systems without unnamed files answer with one of these.
  error = errno == EISDIR || errno == EOPNOTSUPP || errno == EINVAL
              ? std::make_error_code(std::errc::operation_not_supported)
              : LastError();
#else
  (void)directory;
  error = std::make_error_code(std::errc::operation_not_supported);
#endif
  return {};
}

FileHandle FileHandle::CreateTemporary(const std::filesystem::path& name, std::error_code& error) {
#ifdef _WIN32
  const HANDLE handle =
      CreateFileW(name.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                  nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = LastWindowsError();
    return {};
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
  if (fd < 0) {
    error = LastError();
    CloseHandle(handle);
    DeleteFileW(name.c_str());
    return {};
  }
  FileHandle file(fd, true);
  error = MarkForDeletion(fd, true);
  if (error) {
    file.Close();
    DeleteFileW(name.c_str());
    return {};
  }
  return file;
#else
  const int fd = OpenFile(name, O_WRONLY | O_CREAT | O_EXCL, kNewFileMode);
  error = fd < 0 ? LastError() : std::error_code();
  return FileHandle(fd, true);
#endif
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

std::error_code FileHandle::Truncate(std::uint64_t size) {
  return TruncateFile(fd_, size) == 0 ? std::error_code() : LastError();
}

std::error_code FileHandle::Sync() {
  return SyncFile(fd_) == 0 ? std::error_code() : LastError();
}

void FileHandle::TakePermissionsOf(const std::filesystem::path& original) {
#ifdef _WIN32
  // Replacing a file on Windows keeps its attributes and security by itself.
  (void)original;
#else
  struct stat info {};
  if (stat(original.c_str(), &info) != 0) {
    return;
  }
  // Only a privileged program may give a file away; anyone may keep their own group.
  if (fchown(fd_, info.st_uid, info.st_gid) != 0) {
    (void)!fchown(fd_, static_cast<uid_t>(-1), info.st_gid);
  }
  fchmod(fd_, info.st_mode & 07777);
#endif
}

std::error_code FileHandle::LinkAs(const std::filesystem::path& name) {
#ifdef O_TMPFILE
  // Naming a file by its descriptor needs privilege; naming it by its /proc entry does not.
  const std::string self = "/proc/self/fd/" + std::to_string(fd_);
  if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
      linkat(fd_, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) {
    return {};
  }
  return LastError();
#else
  (void)name;
  return std::make_error_code(std::errc::operation_not_supported);
#endif
}

std::error_code FileHandle::KeepOnClose() {
#ifdef _WIN32
  return MarkForDeletion(fd_, false);
#else
  return {};
#endif
}

std::error_code FileHandle::Close() {
  const int fd = std::exchange(fd_, -1);
  if (fd < 0 || !owned_) {
    return {};
  }
  return CloseFile(fd) == 0 ? std::error_code() : LastError();
}

}  // namespace lettermorph
