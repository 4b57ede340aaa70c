#pragma once

#include <string>
#include <string_view>

namespace lettermorph {

// Where recoded bytes go: standard output, a file, or a string.
class ByteSink {
 public:
  virtual ~ByteSink() = default;

  // Writes all of `bytes`, or returns false when that failed; nothing is written after a
  // failure.
  virtual bool Write(std::string_view bytes) = 0;
};

// Collects what is written, for a caller that wants the whole text in memory.
class StringSink final : public ByteSink {
 public:
  bool Write(std::string_view bytes) override {
    text.append(bytes);
    return true;
  }

  std::string text;
};

}  // namespace lettermorph
