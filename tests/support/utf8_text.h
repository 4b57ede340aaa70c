#pragma once

#include <string>
#include <string_view>

#include "engine/byte_sink.h"
#include "engine/utf8.h"

namespace lettermorph {

// Collects what a streaming pass writes.
struct StringSink final : ByteSink {
  bool Write(std::string_view bytes) override {
    text.append(bytes);
    return true;
  }
  std::string text;
};

inline std::string Utf8(std::u16string_view text) {
  std::string bytes;
  AppendUtf8(text, bytes);
  return bytes;
}

}  // namespace lettermorph
