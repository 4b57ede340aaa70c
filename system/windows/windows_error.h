#pragma once

#include <windows.h>

#include <system_error>

namespace lettermorph {

// A Win32 error as a portable error code where one exists, so that callers on every platform
// can tell "no permission" or "disk full" from std::errc; the rest keep the system's code
// and its text.
inline std::error_code FromWindowsError(DWORD code) {
  switch (code) {
    case ERROR_ACCESS_DENIED:
      return std::make_error_code(std::errc::permission_denied);
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return std::make_error_code(std::errc::no_such_file_or_directory);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return std::make_error_code(std::errc::no_space_on_device);
    case ERROR_WRITE_PROTECT:
      return std::make_error_code(std::errc::read_only_file_system);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return std::make_error_code(std::errc::file_exists);
    case ERROR_FILE_TOO_LARGE:
      return std::make_error_code(std::errc::file_too_large);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return std::make_error_code(std::errc::device_or_resource_busy);
    case ERROR_FILENAME_EXCED_RANGE:
      return std::make_error_code(std::errc::filename_too_long);
    default:
      return {static_cast<int>(code), std::system_category()};
  }
}

inline std::error_code LastWindowsError() {
  return FromWindowsError(GetLastError());
}

}  // namespace lettermorph
