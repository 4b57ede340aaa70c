#include "system/utf8_code_page.h"

#include "engine/utf8.h"

namespace lettermorph {

std::u16string Utf8CodePage::Decode(std::string_view bytes) const {
  return DecodeUtf8(bytes);
}

bool Utf8CodePage::Encode(std::u16string_view text, std::string& out) const {
  return AppendUtf8(text, out);
}

}  // namespace lettermorph
