#include "system/file_handle.h"

#include <fcntl.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <random>
#include <string>
#include <utility>

#include "system/interrupt_cleanup.h"

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
std::int64_t SeekTo(int fd, std::uint64_t offset) {
  return _lseeki64(fd, static_cast<__int64>(offset), SEEK_SET);
}
std::int64_t FileLength(int fd) {
  return _filelengthi64(fd);
}
// Windows sets no blocks aside without extending the file: zeros are written instead.
std::error_code SetBlocksAside(int, std::uint64_t) {
  return std::make_error_code(std::errc::operation_not_supported);
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
std::int64_t SeekTo(int fd, std::uint64_t offset) {
  return lseek(fd, static_cast<off_t>(offset), SEEK_SET);
}
std::int64_t FileLength(int fd) {
  struct stat info {};
  return fstat(fd, &info) == 0 ? info.st_size : -1;
}
std::error_code SetBlocksAside([[maybe_unused]] int fd, [[maybe_unused]] std::uint64_t size) {
#ifdef FALLOC_FL_KEEP_SIZE
  for (;;) {
    if (fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) == 0) {
      return {};
    }
    if (errno != EINTR) {
      return errno == EOPNOTSUPP || errno == ENOSYS
                 ? std::make_error_code(std::errc::operation_not_supported)
                 : LastError();
    }
  }
#else
  return std::make_error_code(std::errc::operation_not_supported);
#endif
}
constexpr int kWriteOnly = O_WRONLY;
constexpr int kReadOnly = O_RDONLY;
// Read and write for the owner alone, or for all less what the umask takes away.
mode_t NewFileMode(FileHandle::Access access) {
  return access == FileHandle::Access::Owner ? 0600 : 0666;
}
#endif

// The name of a scratch file, unlikely to be taken.
std::string ScratchName() {
  static std::mt19937 random(std::random_device{}());
  return "lettermorph-" + std::to_string(random()) + ".tmp";
}

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
                                     [[maybe_unused]] Access access, std::error_code& error) {
#ifdef O_TMPFILE
  const int fd =
      OpenFile(directory.empty() ? "." : directory, O_TMPFILE | O_WRONLY, NewFileMode(access));
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

FileHandle FileHandle::CreateTemporary(const std::filesystem::path& name,
                                       [[maybe_unused]] Access access, std::error_code& error) {
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
  const int fd = OpenFile(name, O_WRONLY | O_CREAT | O_EXCL, NewFileMode(access));
  error = fd < 0 ? LastError() : std::error_code();
  return FileHandle(fd, true);
#endif
}

FileHandle FileHandle::CreateScratch(std::error_code& error) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  if (error) {
    return {};
  }
#ifdef _WIN32
  for (;;) {
    const std::filesystem::path name = folder / ScratchName();
    const HANDLE handle =
        CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      error = LastWindowsError();
      if (error == std::errc::file_exists) {
        continue;
      }
      return {};
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDWR | _O_BINARY);
    if (fd < 0) {
      error = LastError();
      CloseHandle(handle);
      return {};
    }
    error.clear();
    return FileHandle(fd, true);
  }
#else
#ifdef O_TMPFILE
  const int unnamed = OpenFile(folder, O_TMPFILE | O_RDWR, 0600);
  if (unnamed >= 0 || (errno != EISDIR && errno != EOPNOTSUPP && errno != EINVAL)) {
    error = unnamed < 0 ? LastError() : std::error_code();
    return FileHandle(unnamed, true);
  }
#endif
  // Without unnamed files, a new private file is unlinked at once; signals wait meanwhile,
  // so that none can leave it behind.
  for (;;) {
    const std::filesystem::path name = folder / ScratchName();
    const InterruptsHeld held;
    const int fd = OpenFile(name, O_RDWR | O_CREAT | O_EXCL, 0600);
    if (fd >= 0) {
      unlink(name.c_str());
      error.clear();
      return FileHandle(fd, true);
    }
    if (errno != EEXIST) {
      error = LastError();
      return {};
    }
  }
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

std::error_code FileHandle::Reserve(std::uint64_t size) {
  const std::error_code setAside = size > 0 ? SetBlocksAside(fd_, size) : std::error_code();
  if (setAside == std::errc::operation_not_supported) {
    if (auto error = ExtendWithZeros(size)) {
      return error;
    }
  } else if (setAside) {
    return setAside;
  }
  return Rewind();
}

std::error_code FileHandle::ExtendWithZeros(std::uint64_t size) {
  const std::int64_t length = FileLength(fd_);
  if (length < 0 || SeekTo(fd_, static_cast<std::uint64_t>(length)) < 0) {
    return LastError();
  }
  static constexpr std::array<char, 64 * 1024> kZeros{};
  std::error_code error;
  for (auto left = size - std::min(size, static_cast<std::uint64_t>(length)); left > 0 && !error;) {
    const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(left, kZeros.size()));
    error = WriteAll(std::string_view(kZeros.data(), piece));
    left -= piece;
  }
  if (error) {
    // Whatever was added goes again, so that the file keeps its old length.
    TruncateFile(fd_, static_cast<std::uint64_t>(length));
  }
  return error;
}

std::error_code FileHandle::Rewind() {
  return SeekTo(fd_, 0) < 0 ? LastError() : std::error_code();
}

bool FileHandle::IsSameNonEmptyFile(const FileHandle& other) const {
#ifdef _WIN32
  const auto identify = [](int fd, BY_HANDLE_FILE_INFORMATION& info) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    return handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_DISK &&
           GetFileInformationByHandle(handle, &info);
  };
  BY_HANDLE_FILE_INFORMATION mine{}, theirs{};
  return identify(fd_, mine) && identify(other.fd_, theirs) &&
         mine.dwVolumeSerialNumber == theirs.dwVolumeSerialNumber &&
         mine.nFileIndexHigh == theirs.nFileIndexHigh &&
         mine.nFileIndexLow == theirs.nFileIndexLow && (mine.nFileSizeHigh | mine.nFileSizeLow);
#else
  struct stat mine {
  }, theirs{};
  return fstat(fd_, &mine) == 0 && fstat(other.fd_, &theirs) == 0 && S_ISREG(mine.st_mode) &&
         mine.st_size > 0 && mine.st_dev == theirs.st_dev && mine.st_ino == theirs.st_ino;
#endif
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
