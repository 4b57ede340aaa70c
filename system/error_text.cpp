#include "system/error_text.h"

#include "engine/utf8.h"
#include "system/code_page.h"

#ifdef _WIN32
#include <windows.h>

#include "system/utf16_text.h"
#endif

namespace lettermorph {

std::string ErrorText(const std::error_code& error) {
#ifdef _WIN32
  if (error.category() == std::system_category()) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(error.value()), 0, reinterpret_cast<wchar_t*>(&text), 0,
        nullptr);
    std::wstring message(text, length);
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                message.back() == L'.' || message.back() == L' ')) {
      message.pop_back();
    }
    if (!message.empty()) {
      return Utf8FromWide(message);
    }
  }
#endif
  std::string text;
  AppendUtf8(CodePage::System()->Decode(error.message()), text);
  return text;
}

}  // namespace lettermorph
