#pragma once

#include <string>
#include <string_view>

#include "text/utf8.h"

namespace lettermorph {

// The UTF-8 form of a text, for feeding the streaming passes.
inline std::string Utf8(std::u16string_view text) {
  std::string bytes;
  AppendUtf8(text, bytes);
  return bytes;
}

}  // namespace lettermorph
