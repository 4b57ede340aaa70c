#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <system_error>

namespace lettermorph {

// An open file descriptor, closed when the handle goes, with the few calls the program makes
// on it; the same on POSIX systems and on Windows. Every failure comes back as an error code.
class FileHandle {
 public:
  FileHandle() = default;
  FileHandle(FileHandle&& other) noexcept;
  FileHandle& operator=(FileHandle&& other) noexcept;
  ~FileHandle();

  // Standard input and output, in binary mode; they are not closed by the handle.
  static FileHandle StandardInput();
  static FileHandle StandardOutput();
  static FileHandle OpenForReading(const std::filesystem::path& path, std::error_code& error);
  // An existing file that is written as it is, such as a device or a named pipe.
  static FileHandle OpenForWriting(const std::filesystem::path& path, std::error_code& error);
  // A new file, or an error when the name is taken. `permissions` are narrowed by the umask.
  static FileHandle CreateNew(const std::filesystem::path& path, std::filesystem::perms permissions,
                              std::error_code& error);

  bool IsOpen() const { return fd_ >= 0; }
  // The descriptor, for calls the handle does not make itself; it stays owned by the handle.
  int Descriptor() const { return fd_; }

  // Waits for some input and reads what there is, up to the buffer's size: the count, 0 at
  // the end, or nothing on failure.
  std::optional<std::size_t> Read(std::span<char> buffer, std::error_code& error);
  std::error_code WriteAll(std::string_view bytes);
  // Makes what was written reach the disk.
  std::error_code Sync();
  std::error_code Close();

 private:
  FileHandle(int fd, bool owned) : fd_(fd), owned_(owned) {}

  int fd_ = -1;
  bool owned_ = false;
};

}  // namespace lettermorph
