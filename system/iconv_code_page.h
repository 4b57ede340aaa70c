#pragma once

#include <memory>

#include "system/code_page.h"

namespace lettermorph {

// A locale character set such as CP1251 or KOI8-R, converted with iconv. Bytes the character
// set does not define decode to U+FFFD.
class IconvCodePage final : public CodePage {
 public:
  // Null when iconv cannot convert between `name` and UTF-16.
  static std::unique_ptr<IconvCodePage> Open(std::string name);

  std::u16string Decode(std::string_view bytes) const override;
  bool Encode(std::u16string_view text, std::string& out) const override;

 private:
  explicit IconvCodePage(std::string name) : name_(std::move(name)) {}

  std::string name_;
};

}  // namespace lettermorph
