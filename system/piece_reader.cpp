#include "system/piece_reader.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string>

#ifndef _WIN32
#include <setjmp.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace lettermorph {
namespace {

// Large enough that system calls cost little, small enough to stay in the processor's cache.
constexpr std::size_t kReadSize = 256 * 1024;

#ifndef _WIN32
// Mapping a window costs less per byte than copying it in read(), and larger windows save
// little more; a window that is a multiple of 2 MiB lets the system map it in large pages.
constexpr off_t kWindow = 4 << 20;

// The window being consumed, for the handler below: touching a page that the file no longer
// has raises SIGBUS there, and the handler returns to ConsumeMapped instead.
struct Guard {
  sigjmp_buf* jump = nullptr;
  const char* begin = nullptr;
  const char* end = nullptr;
};
Guard guard;
// How SIGBUS was handled before ReadAll, such as by the removal of an unfinished output file.
struct sigaction busActionBefore;

extern "C" void OnBusError(int number, siginfo_t* info, void*) {
  const char* address = static_cast<const char*>(info->si_addr);
  if (guard.jump != nullptr && address >= guard.begin && address < guard.end) {
    siglongjmp(*guard.jump, 1);
  }
  // Not the window's fault: the previous handling, once the instruction runs again.
  sigaction(number, &busActionBefore, nullptr);
}

// What `consume` returned, or nothing when a page of the window was gone.
std::optional<bool> ConsumeMapped(const char* window, std::size_t length, std::size_t skip,
                                  const PieceReader::Consumer& consume) {
  sigjmp_buf jump;
  if (sigsetjmp(jump, 1) != 0) {
    guard = {};
    return std::nullopt;
  }
  guard = {&jump, window, window + length};
  const bool more = consume(std::string_view(window + skip, length - skip));
  guard = {};
  return more;
}

// Consumes a regular file from its current position to the size it had when this started,
// then leaves the position there, for read() to take what was added since. `stopped` tells
// whether the consumer or a fault ended it. A file that cannot be mapped is left to read().
std::error_code MapInWindows(int fd, const PieceReader::Consumer& consume, bool& stopped) {
  struct stat status {};
  off_t position = lseek(fd, 0, SEEK_CUR);
  if (position < 0 || fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    return {};
  }
  struct sigaction action {};
  action.sa_sigaction = OnBusError;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  sigaction(SIGBUS, &action, &busActionBefore);

  std::error_code error;
  while (position < status.st_size && !stopped) {
    const off_t start = position / kWindow * kWindow;
    const auto length = static_cast<std::size_t>(std::min(start + kWindow, status.st_size) - start);
    void* window = mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd, start);
    if (window == MAP_FAILED) {
      break;
    }
    const std::optional<bool> more =
        ConsumeMapped(static_cast<const char*>(window), length,
                      static_cast<std::size_t>(position - start), consume);
    munmap(window, length);
    if (!more) {
      error = FileShrankWhileRead();
    }
    stopped = !more || !*more;
    position = start + static_cast<off_t>(length);
  }
  sigaction(SIGBUS, &busActionBefore, nullptr);
  if (!stopped && lseek(fd, position, SEEK_SET) < 0) {
    error = {errno, std::generic_category()};
    stopped = true;
  }
  return error;
}
#endif

class ReadCategory final : public std::error_category {
 public:
  const char* name() const noexcept override { return "read"; }
  std::string message(int) const override { return "the file shrank while it was read"; }
};

}  // namespace

std::error_code FileShrankWhileRead() {
  static const ReadCategory category;
  return {1, category};
}

PieceReader::PieceReader(bool mapFiles) : mapFiles_(mapFiles) {}
PieceReader::~PieceReader() = default;

std::error_code PieceReader::ReadAll(FileHandle& input, const Consumer& consume) {
#ifndef _WIN32
  bool stopped = false;
  if (const std::error_code error =
          mapFiles_ ? MapInWindows(input.Descriptor(), consume, stopped) : std::error_code();
      stopped) {
    return error;
  }
#endif
  // Left unfilled, so that the pages cost nothing until a read fills them: after a mapped
  // file, the read that finds nothing more is the usual case.
  if (!buffer_) {
    buffer_ = std::make_unique_for_overwrite<char[]>(kReadSize);
  }
  std::error_code error;
  for (;;) {
    const auto got = input.Read(std::span<char>(buffer_.get(), kReadSize), error);
    if (!got || *got == 0 || !consume(std::string_view(buffer_.get(), *got))) {
      return error;
    }
  }
}

}  // namespace lettermorph
