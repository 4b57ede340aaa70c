#include "system/code_page.h"

#include <langinfo.h>

#include <string>

#include "charset_name.h"
#include "iconv_code_page.h"
#include "system/utf8_code_page.h"

namespace lettermorph {
namespace {

bool IsUtf8Name(std::string_view name) {
  const std::string folded = FoldedCharsetName(name);
  return folded == "UTF8" || folded == "CP65001";
}

}  // namespace

std::unique_ptr<CodePage> CodePage::System() {
  // The plain C locale reports ASCII; a settings file from a Cyrillic system read that way
  // would lose every letter, so UTF-8 stands in for it.
  const std::string_view charset = nl_langinfo(CODESET);
  if (IsUtf8Name(charset) || charset == "ANSI_X3.4-1968" || charset == "ASCII") {
    return std::make_unique<Utf8CodePage>();
  }
  if (auto codePage = IconvCodePage::Open(std::string(charset))) {
    return codePage;
  }
  return std::make_unique<Utf8CodePage>();
}

std::unique_ptr<CodePage> CodePage::Named(std::string_view name) {
  if (IsUtf8Name(name)) {
    return std::make_unique<Utf8CodePage>();
  }
  return IconvCodePage::Open(std::string(name));
}

}  // namespace lettermorph
