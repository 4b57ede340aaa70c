#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <system_error>

namespace lettermorph {

// A whole regular file's bytes, read-only, mapped into memory where the system can, so that
// only the pages in use are read and several processes share them. The file must not shrink
// while it is mapped: files that are only ever replaced by renaming a new one over them, as
// AtomicFile does, never do.
class FileImage {
 public:
  FileImage() = default;
  FileImage(FileImage&& other) noexcept;
  FileImage& operator=(FileImage&& other) noexcept;
  ~FileImage();

  static FileImage Open(const std::filesystem::path& path, std::error_code& error);

  std::span<const std::byte> Bytes() const { return {data_, size_}; }

 private:
  void Release();

  const std::byte* data_ = nullptr;
  std::size_t size_ = 0;
  void* mapping_ = nullptr;  // the system's handle of the mapping, where it has one
};

// Whether this process may write a file of `size` bytes. POSIX systems can cap the size of
// the files a process writes, and a write past the cap ends the program unless it expects it.
bool FitsFileSizeLimit(std::uint64_t size);

}  // namespace lettermorph
