#pragma once

#include <string>
#include <string_view>

#include "text/utf8.h"

namespace lettermorph {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "for Windows, whose wide strings are UTF-16");

// Windows' wide strings are UTF-16, as the program's own are; these convert them to and from
// UTF-8.
inline std::string Utf8FromWide(std::wstring_view wide) {
  std::string bytes;
  AppendUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()),
             bytes);
  return bytes;
}

inline std::wstring WideFromUtf8(std::string_view bytes) {
  const std::u16string text = Utf16FromUtf8(bytes);
  return {text.begin(), text.end()};
}

}  // namespace lettermorph
