#include "system/error_text.h"

#include "system/code_page.h"
#include "text/utf8.h"

namespace lettermorph {

std::string ErrorText(const std::error_code& error) {
  std::string text;
  AppendUtf8(CodePage::System()->ToUtf16(error.message()), text);
  return text;
}

}  // namespace lettermorph
