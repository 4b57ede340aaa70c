#include "system/file_handle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "file_calls.h"
#include "interrupt_cleanup.h"

namespace lettermorph {

std::int64_t file_calls::ReadSome(int fd, char* data, std::size_t size) {
  return read(fd, data, size);
}

std::int64_t file_calls::WriteSome(int fd, const char* data, std::size_t size) {
  return write(fd, data, size);
}

int file_calls::SyncFile(int fd) {
  return fsync(fd);
}

int file_calls::TruncateFile(int fd, std::uint64_t size) {
  return ftruncate(fd, static_cast<off_t>(size));
}

int file_calls::CloseFile(int fd) {
  return close(fd);
}

std::int64_t file_calls::SeekTo(int fd, std::uint64_t offset) {
  return lseek(fd, static_cast<off_t>(offset), SEEK_SET);
}

std::int64_t file_calls::FileLength(int fd) {
  struct stat info {};
  return fstat(fd, &info) == 0 ? info.st_size : -1;
}

std::error_code file_calls::SetBlocksAside([[maybe_unused]] int fd,
                                           [[maybe_unused]] std::uint64_t size) {
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

namespace {

using file_calls::LastError;

int OpenFile(const std::filesystem::path& path, int flags, mode_t mode = 0) {
  return open(path.c_str(), flags | O_CLOEXEC, mode);
}

// Read and write for the owner alone, or for all less what the umask takes away.
mode_t NewFileMode(FileHandle::Access access) {
  return access == FileHandle::Access::Owner ? 0600 : 0666;
}

}  // namespace

FileHandle FileHandle::StandardInput() {
  return FileHandle(0, false);
}

FileHandle FileHandle::StandardOutput() {
  return FileHandle(1, false);
}

FileHandle FileHandle::OpenForReading(const std::filesystem::path& path, std::error_code& error) {
  const int fd = OpenFile(path, O_RDONLY);
  error = fd < 0 ? LastError() : std::error_code();
  return FileHandle(fd, true);
}

FileHandle FileHandle::OpenForWriting(const std::filesystem::path& path, std::error_code& error) {
  const int fd = OpenFile(path, O_WRONLY);
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

FileHandle FileHandle::CreateTemporary(const std::filesystem::path& name, Access access,
                                       std::error_code& error) {
  const int fd = OpenFile(name, O_WRONLY | O_CREAT | O_EXCL, NewFileMode(access));
  error = fd < 0 ? LastError() : std::error_code();
  return FileHandle(fd, true);
}

FileHandle FileHandle::CreateScratch(std::error_code& error) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  if (error) {
    return {};
  }
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
    const std::filesystem::path name = folder / file_calls::ScratchName();
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
}

bool FileHandle::IsSameNonEmptyFile(const FileHandle& other) const {
  struct stat mine {
  }, theirs{};
  return fstat(fd_, &mine) == 0 && fstat(other.fd_, &theirs) == 0 && S_ISREG(mine.st_mode) &&
         mine.st_size > 0 && mine.st_dev == theirs.st_dev && mine.st_ino == theirs.st_ino;
}

void FileHandle::TakePermissionsOf(const std::filesystem::path& original) {
  struct stat info {};
  if (stat(original.c_str(), &info) != 0) {
    return;
  }
  // Only a privileged program may give a file away; anyone may keep their own group.
  if (fchown(fd_, info.st_uid, info.st_gid) != 0) {
    (void)!fchown(fd_, static_cast<uid_t>(-1), info.st_gid);
  }
  fchmod(fd_, info.st_mode & 07777);
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

// Files made here need no mark to stay: the caller removes a temporary it does not keep.
std::error_code FileHandle::KeepOnClose() {
  return {};
}

}  // namespace lettermorph
