#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <system_error>

namespace lettermorph {

// The file a chain of symbolic links ends at, made absolute. Fails on a loop of links.
std::filesystem::path FinalTarget(std::filesystem::path path, std::error_code& error);

// Whether this program may write the existing file `path`: on POSIX systems its permissions
// for the effective user, on Windows its read-only attribute. A file that no one may write was
// made read-only on purpose, and is not writable even for root, who could.
bool IsWritable(const std::filesystem::path& path);

// How long ago `path` was last written, when it is itself a regular file (a symbolic link is
// not followed) that belongs to the user this program runs as; nothing otherwise.
std::optional<std::chrono::seconds> AgeOfOwnRegularFile(const std::filesystem::path& path);

// Whether `path` names something that is written as it is rather than replaced: a terminal,
// a named pipe, a socket, or a device such as /dev/null or Windows' NUL and CON.
bool IsDevice(const std::filesystem::path& path);

// Moves the finished file `temporary` over `target`, or into place when there is none, and
// makes the move durable.
std::error_code MoveIntoPlace(const std::filesystem::path& temporary,
                              const std::filesystem::path& target);

}  // namespace lettermorph
