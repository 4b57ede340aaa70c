#include "system/path_operations.h"

#include <windows.h>

#include "windows_error.h"

namespace lettermorph {

namespace fs = std::filesystem;

bool IsWritable(const fs::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_READONLY);
}

std::optional<std::chrono::seconds> AgeOfOwnRegularFile(const fs::path& path) {
  // Files in a folder the user may write are the user's own, as far as Windows tells here.
  std::error_code error;
  if (!fs::is_regular_file(fs::symlink_status(path, error))) {
    return std::nullopt;
  }
  const auto written = fs::last_write_time(path, error);
  if (error) {
    return std::nullopt;
  }
  return std::chrono::duration_cast<std::chrono::seconds>(fs::file_time_type::clock::now() -
                                                          written);
}

bool IsDevice(const fs::path& path) {
  const HANDLE handle =
      CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return false;
  }
  const DWORD type = GetFileType(handle);
  CloseHandle(handle);
  return type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE;
}

std::error_code MoveIntoPlace(const fs::path& temporary, const fs::path& target) {
  // A file another program holds open without letting it be deleted cannot be replaced; asked
  // first, so that ReplaceFileW never starts on it and leaves a backup of its own behind, as
  // Wine's does.
  const HANDLE probe =
      CreateFileW(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION) {
    return LastWindowsError();
  }
  if (probe != INVALID_HANDLE_VALUE) {
    CloseHandle(probe);
  }
  // ReplaceFileW keeps the old file's attributes and security, and needs it to exist.
  const bool moved = GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES
                         ? ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                                        REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                         : MoveFileExW(temporary.c_str(), target.c_str(),
                                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  return moved ? std::error_code() : LastWindowsError();
}

}  // namespace lettermorph
