#pragma once

#include <string_view>

namespace lettermorph {

// Where recoded bytes go: standard output, a file, or a test's buffer.
class ByteSink {
 public:
  virtual ~ByteSink() = default;

  // Writes all of `bytes`, or returns false when that failed; nothing is written after a
  // failure.
  virtual bool Write(std::string_view bytes) = 0;
};

}  // namespace lettermorph
