#include "system/error_text.h"

#include <windows.h>

#include "system/code_page.h"
#include "text/utf8.h"
#include "utf16_text.h"

namespace lettermorph {

// The system's own words for a Win32 error; the standard library's, in the ANSI code page,
// for the rest.
std::string ErrorText(const std::error_code& error) {
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
  std::string text;
  AppendUtf8(CodePage::System()->ToUtf16(error.message()), text);
  return text;
}

}  // namespace lettermorph
