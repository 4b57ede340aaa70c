#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>
#include <system_error>

#include "system/file_handle.h"

namespace lettermorph {

// Hands an open input to a consumer piece by piece. A regular file is mapped into memory a
// window of a few MiB at a time, which spares copying it, and only the window in use counts
// toward the program's memory; anything else (a pipe, a terminal, a file that cannot be
// mapped, a system without mapping) is read into a buffer. Faults in a mapped file are caught
// by a handler for the whole process, so only one ReadAll may run at a time.
class MappedInput {
 public:
  using Consumer = std::function<bool(std::string_view piece)>;

  // Large enough that system calls cost little, small enough to stay in the processor's cache.
  static constexpr std::size_t kReadSize = 256 * 1024;

  // Without `mapFiles` every input is read into the buffer, for a consumer that cannot meet
  // the condition below. What is read goes to the consumer in pieces of up to `readSize`.
  explicit MappedInput(bool mapFiles = true, std::size_t readSize = kReadSize);
  ~MappedInput();
  MappedInput(const MappedInput&) = delete;
  MappedInput& operator=(const MappedInput&) = delete;

  // Gives `consume` the rest of `input`, from its current position to its end, until
  // `consume` returns false; returns the failure to read, if any. A mapped file that shrinks
  // while it is read ends with FileShrankWhileRead(), not a crash: the consumer's read of the
  // lost part stops it where it is, without running destructors, so it must hold no objects
  // that need them while it reads a piece.
  std::error_code ReadAll(FileHandle& input, const Consumer& consume);

 private:
  // The buffer comes from TableMemory(): a large one is then in large pages, which the first
  // read fills with a fault or two rather than one for every page.
  struct FreeBuffer {
    std::size_t size;
    void operator()(char* buffer) const;
  };

  bool mapFiles_;
  std::size_t readSize_;
  std::unique_ptr<char[], FreeBuffer> buffer_;  // made on the first read that needs it
};

// The failure of a mapped file that lost part of itself while it was read.
std::error_code FileShrankWhileRead();

}  // namespace lettermorph
