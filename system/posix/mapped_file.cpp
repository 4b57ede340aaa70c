#include "mapped_file.h"

#include <setjmp.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>

namespace lettermorph {
namespace {

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
                                  const MappedInput::Consumer& consume) {
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

}  // namespace

std::error_code ConsumeMappedFile(int fd, const MappedInput::Consumer& consume, bool& stopped) {
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

}  // namespace lettermorph
