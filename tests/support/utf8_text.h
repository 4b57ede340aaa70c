#pragma once

#include <string>
#include <string_view>

#include "../../fuzz/reference_text.h"

namespace lettermorph {

// The UTF-8 form of a text, for feeding the streaming passes and writing what they must give.
// It comes from the fuzz harnesses' own encoder, which shares no code with the program, so
// that a fault in the program's encoder cannot hide in the expected text as well.
inline std::string Utf8(std::u16string_view text) {
  return fuzz::EncodeUtf8Reference(text);
}

}  // namespace lettermorph
