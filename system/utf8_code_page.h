#pragma once

#include "system/code_page.h"

namespace lettermorph {

// UTF-8, converted in-house. Malformed bytes decode to U+FFFD one at a time, and an unpaired
// surrogate, which UTF-8 cannot carry, is written as "?".
class Utf8CodePage final : public CodePage {
 public:
  std::u16string Decode(std::string_view bytes) const override;
  bool Encode(std::u16string_view text, std::string& out) const override;
};

}  // namespace lettermorph
