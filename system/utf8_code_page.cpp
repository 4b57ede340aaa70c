#include "system/utf8_code_page.h"

#include "text/utf8.h"

namespace lettermorph {

std::u16string Utf8CodePage::ToUtf16(std::string_view bytes) const {
  return Utf16FromUtf8(bytes);
}

bool Utf8CodePage::FromUtf16(std::u16string_view text, std::string& out) const {
  return AppendUtf8(text, out);
}

}  // namespace lettermorph
