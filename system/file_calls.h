#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>

// The calls on an open descriptor that each platform makes its own way; FileHandle's portable
// part is written on them. Each returns what its POSIX namesake does: -1 with errno set on
// failure.
namespace lettermorph::file_calls {

std::error_code LastError();

std::int64_t ReadSome(int fd, char* data, std::size_t size);
std::int64_t WriteSome(int fd, const char* data, std::size_t size);
int SyncFile(int fd);
int TruncateFile(int fd, std::uint64_t size);
int CloseFile(int fd);
std::int64_t SeekTo(int fd, std::uint64_t offset);
std::int64_t FileLength(int fd);
// Sets blocks aside for `size` bytes without changing the file's length; fails with
// errc::operation_not_supported where the system or the file system cannot.
std::error_code SetBlocksAside(int fd, std::uint64_t size);

// The name of a scratch file, unlikely to be taken.
std::string ScratchName();

}  // namespace lettermorph::file_calls
