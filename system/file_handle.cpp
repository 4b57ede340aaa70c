#include "system/file_handle.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <random>
#include <string>
#include <utility>

#include "file_calls.h"

namespace lettermorph {

using namespace file_calls;

std::error_code file_calls::LastError() {
  return {errno, std::generic_category()};
}

std::string file_calls::ScratchName() {
  static std::mt19937 random(std::random_device{}());
  return "lettermorph-" + std::to_string(random()) + ".tmp";
}

FileHandle::FileHandle(FileHandle&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), owned_(other.owned_) {}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    owned_ = other.owned_;
  }
  return *this;
}

FileHandle::~FileHandle() {
  Close();
}

std::optional<std::size_t> FileHandle::Read(std::span<char> buffer, std::error_code& error) {
  for (;;) {
    const auto got = ReadSome(fd_, buffer.data(), buffer.size());
    if (got >= 0) {
      return static_cast<std::size_t>(got);
    }
    if (errno != EINTR) {
      error = LastError();
      return std::nullopt;
    }
  }
}

std::error_code FileHandle::WriteAll(std::string_view bytes) {
  while (!bytes.empty()) {
    const auto written = WriteSome(fd_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return LastError();
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return {};
}

std::error_code FileHandle::Truncate(std::uint64_t size) {
  return TruncateFile(fd_, size) == 0 ? std::error_code() : LastError();
}

std::error_code FileHandle::Reserve(std::uint64_t size) {
  const std::error_code setAside = size > 0 ? SetBlocksAside(fd_, size) : std::error_code();
  if (setAside == std::errc::operation_not_supported) {
    if (auto error = ExtendWithZeros(size)) {
      return error;
    }
  } else if (setAside) {
    return setAside;
  }
  return Rewind();
}

std::error_code FileHandle::ExtendWithZeros(std::uint64_t size) {
  const std::int64_t length = FileLength(fd_);
  if (length < 0 || SeekTo(fd_, static_cast<std::uint64_t>(length)) < 0) {
    return LastError();
  }
  static constexpr std::array<char, 64 * 1024> kZeros{};
  std::error_code error;
  for (auto left = size - std::min(size, static_cast<std::uint64_t>(length)); left > 0 && !error;) {
    const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(left, kZeros.size()));
    error = WriteAll(std::string_view(kZeros.data(), piece));
    left -= piece;
  }
  if (error) {
    // Whatever was added goes again, so that the file keeps its old length.
    TruncateFile(fd_, static_cast<std::uint64_t>(length));
  }
  return error;
}

std::error_code FileHandle::Rewind() {
  return SeekTo(fd_, 0) < 0 ? LastError() : std::error_code();
}

std::error_code FileHandle::Sync() {
  return SyncFile(fd_) == 0 ? std::error_code() : LastError();
}

std::error_code FileHandle::Close() {
  const int fd = std::exchange(fd_, -1);
  if (fd < 0 || !owned_) {
    return {};
  }
  return CloseFile(fd) == 0 ? std::error_code() : LastError();
}

}  // namespace lettermorph
