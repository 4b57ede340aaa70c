#pragma once

#include "system/code_page.h"

namespace lettermorph {

// UTF-8, converted in-house. Malformed bytes become U+FFFD one at a time, and an unpaired
// surrogate, which UTF-8 cannot carry, is written as "?".
class Utf8CodePage final : public CodePage {
 public:
  std::u16string ToUtf16(std::string_view bytes) const override;
  bool FromUtf16(std::u16string_view text, std::string& out) const override;
};

}  // namespace lettermorph
