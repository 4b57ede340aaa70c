#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <system_error>

namespace lettermorph {

// An open file, closed when the handle goes, with the few calls the program makes on it; the
// same on POSIX systems and on Windows. Every failure comes back as an error code.
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
  // An existing file, written from its start without being cut short: a device, a named pipe,
  // or a file rewritten in place.
  static FileHandle OpenForWriting(const std::filesystem::path& path, std::error_code& error);
  // Who may open a new file while it is written: its owner alone, for contents that take an
  // existing file's permissions at the end, or whoever the umask lets, as for any new file.
  // Windows files take their folder's permissions either way.
  enum class Access { Owner, Default };

  // A new file with no name, in `directory`, that vanishes if the program ends before
  // LinkAs() names it. Only Linux makes such files; elsewhere, and on file systems that cannot,
  // this fails with errc::operation_not_supported.
  static FileHandle CreateUnnamed(const std::filesystem::path& directory, Access access,
                                  std::error_code& error);
  // A new file under `name`, which must not exist. On Windows it is marked for deletion until
  // KeepOnClose(), so that a program killed while writing it leaves nothing behind; POSIX
  // systems have no such mark, and the caller removes the file when it is not wanted.
  static FileHandle CreateTemporary(const std::filesystem::path& name, Access access,
                                    std::error_code& error);
  // A file in the system's temporary folder for writing and reading back, that only its owner
  // can open and that vanishes when it is closed or the program ends.
  static FileHandle CreateScratch(std::error_code& error);

  bool IsOpen() const { return fd_ >= 0; }
  // The descriptor, for calls the handle does not make itself; it stays owned by the handle.
  int Descriptor() const { return fd_; }

  // Waits for some input and reads what there is, up to the buffer's size: the count, 0 at
  // the end, or nothing on failure.
  std::optional<std::size_t> Read(std::span<char> buffer, std::error_code& error);
  std::error_code WriteAll(std::string_view bytes);
  // Cuts the file to `size` bytes, after a rewrite that may be shorter than the old contents.
  std::error_code Truncate(std::uint64_t size);
  // Makes room for `size` bytes from the start, so that writing them over the file cannot fail
  // for want of space: the file system sets the blocks aside beyond the end, or, where it
  // cannot, zeros are written there. The bytes the file holds stay as they are, and so does
  // its length on failure; the position is left at the start.
  std::error_code Reserve(std::uint64_t size);
  // Moves back to the start, to read or write the file again from there.
  std::error_code Rewind();
  // Whether this handle and `other` reach one regular file that holds something, so that
  // reading one while writing the other would read back what was written.
  bool IsSameNonEmptyFile(const FileHandle& other) const;
  // Makes what was written reach the disk.
  std::error_code Sync();
  // Gives a new file the permissions, and where allowed the owner and group, of `original`.
  // A file made private to its owner is given them only once its contents are complete.
  void TakePermissionsOf(const std::filesystem::path& original);
  // Gives an unnamed file the name `name`, which must not exist.
  std::error_code LinkAs(const std::filesystem::path& name);
  std::error_code KeepOnClose();
  std::error_code Close();

 private:
  FileHandle(int fd, bool owned) : fd_(fd), owned_(owned) {}

  // Writes zeros from the end up to `size` bytes; on failure the file keeps its length.
  std::error_code ExtendWithZeros(std::uint64_t size);

  int fd_ = -1;
  bool owned_ = false;
};

}  // namespace lettermorph
