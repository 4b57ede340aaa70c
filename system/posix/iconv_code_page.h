#pragma once

#include <memory>
#include <string>

#include "system/code_page.h"

namespace lettermorph {

class IconvConverter;

// A locale character set such as CP1251 or KOI8-R, converted with iconv. Bytes the character
// set does not define become U+FFFD.
class IconvCodePage final : public CodePage {
 public:
  // Null when iconv cannot convert between `name` and UTF-16.
  static std::unique_ptr<IconvCodePage> Open(const std::string& name);
  ~IconvCodePage() override;

  std::u16string ToUtf16(std::string_view bytes) const override;
  bool FromUtf16(std::u16string_view text, std::string& out) const override;

 private:
  IconvCodePage(std::unique_ptr<IconvConverter> toUtf16, std::unique_ptr<IconvConverter> fromUtf16);

  // The converters keep no state from one call to the next.
  std::unique_ptr<IconvConverter> toUtf16_;
  std::unique_ptr<IconvConverter> fromUtf16_;
};

}  // namespace lettermorph
