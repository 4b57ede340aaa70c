#include "system/file_image.h"

#include <windows.h>

#include "windows_error.h"

namespace lettermorph {

void FileImage::Release() {
  if (data_ != nullptr) {
    UnmapViewOfFile(data_);
  }
  if (mapping_ != nullptr) {
    CloseHandle(mapping_);
  }
  data_ = nullptr;
  size_ = 0;
  mapping_ = nullptr;
}

FileImage FileImage::Open(const std::filesystem::path& path, std::error_code& error) {
  error.clear();
  // Others may still replace the file by renaming a new one over it, as a later save does.
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = LastWindowsError();
    return {};
  }
  FileImage image;
  LARGE_INTEGER size{};
  if (GetFileType(file) != FILE_TYPE_DISK) {
    error = std::make_error_code(std::errc::invalid_argument);
  } else if (!GetFileSizeEx(file, &size)) {
    error = LastWindowsError();
  } else if (size.QuadPart > 0) {
    const HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    const void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
    if (view == nullptr) {
      error = LastWindowsError();
      if (mapping) {
        CloseHandle(mapping);
      }
    } else {
      image.mapping_ = mapping;
      image.data_ = static_cast<const std::byte*>(view);
      image.size_ = static_cast<std::size_t>(size.QuadPart);
    }
  }
  CloseHandle(file);
  return image;
}

bool FitsFileSizeLimit(std::uint64_t) {
  return true;
}

}  // namespace lettermorph
