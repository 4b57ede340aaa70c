#include "system/file_handle.h"

#include <windows.h>
// windows.h must come first.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "file_calls.h"
#include "windows_error.h"

namespace lettermorph {

// The C runtime's calls take sizes as unsigned int, so larger pieces go through in parts.
std::int64_t file_calls::ReadSome(int fd, char* data, std::size_t size) {
  return _read(fd, data, static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30)));
}

std::int64_t file_calls::WriteSome(int fd, const char* data, std::size_t size) {
  return _write(fd, data, static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30)));
}

int file_calls::SyncFile(int fd) {
  return _commit(fd);
}

int file_calls::TruncateFile(int fd, std::uint64_t size) {
  errno = _chsize_s(fd, static_cast<__int64>(size));
  return errno == 0 ? 0 : -1;
}

int file_calls::CloseFile(int fd) {
  return _close(fd);
}

std::int64_t file_calls::SeekTo(int fd, std::uint64_t offset) {
  return _lseeki64(fd, static_cast<__int64>(offset), SEEK_SET);
}

std::int64_t file_calls::FileLength(int fd) {
  return _filelengthi64(fd);
}

// Windows sets no blocks aside without extending the file: zeros are written instead.
std::error_code file_calls::SetBlocksAside(int, std::uint64_t) {
  return std::make_error_code(std::errc::operation_not_supported);
}

namespace {

using file_calls::LastError;

int OpenFile(const std::filesystem::path& path, int flags) {
  return _wopen(path.c_str(), flags | _O_BINARY | _O_NOINHERIT);
}

std::error_code MarkForDeletion(int fd, bool deleteOnClose) {
  FILE_DISPOSITION_INFO disposition{static_cast<BOOLEAN>(deleteOnClose)};
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition)
             ? std::error_code()
             : LastWindowsError();
}

}  // namespace

FileHandle FileHandle::StandardInput() {
  _setmode(0, _O_BINARY);
  return FileHandle(0, false);
}

FileHandle FileHandle::StandardOutput() {
  _setmode(1, _O_BINARY);
  return FileHandle(1, false);
}

FileHandle FileHandle::OpenForReading(const std::filesystem::path& path, std::error_code& error) {
  const int fd = OpenFile(path, _O_RDONLY);
  error = fd < 0 ? LastError() : std::error_code();
  return FileHandle(fd, true);
}

FileHandle FileHandle::OpenForWriting(const std::filesystem::path& path, std::error_code& error) {
  const int fd = OpenFile(path, _O_WRONLY);
  error = fd < 0 ? LastError() : std::error_code();
  return FileHandle(fd, true);
}

// Windows makes no files without a name.
FileHandle FileHandle::CreateUnnamed(const std::filesystem::path&, Access, std::error_code& error) {
  error = std::make_error_code(std::errc::operation_not_supported);
  return {};
}

FileHandle FileHandle::CreateTemporary(const std::filesystem::path& name, Access,
                                       std::error_code& error) {
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
}

FileHandle FileHandle::CreateScratch(std::error_code& error) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  if (error) {
    return {};
  }
  for (;;) {
    const std::filesystem::path name = folder / file_calls::ScratchName();
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
}

bool FileHandle::IsSameNonEmptyFile(const FileHandle& other) const {
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
}

// Replacing a file on Windows keeps its attributes and security by itself.
void FileHandle::TakePermissionsOf(const std::filesystem::path&) {}

std::error_code FileHandle::LinkAs(const std::filesystem::path&) {
  return std::make_error_code(std::errc::operation_not_supported);
}

std::error_code FileHandle::KeepOnClose() {
  return MarkForDeletion(fd_, false);
}

}  // namespace lettermorph
