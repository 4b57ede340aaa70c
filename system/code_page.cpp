#include "system/code_page.h"

#include <algorithm>
#include <cctype>

#include "system/utf8_code_page.h"

#ifdef _WIN32
#include <windows.h>

#include "system/windows_code_page.h"
#else
#include <langinfo.h>

#include "system/iconv_code_page.h"
#endif

namespace lettermorph {
namespace {

bool IsUtf8Name(std::string_view name) {
  std::string folded;
  for (char c : name) {
    if (std::isalnum(static_cast<unsigned char>(c))) {
      folded += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
  }
  return folded == "UTF8" || folded == "CP65001";
}

}  // namespace

#ifdef _WIN32

std::unique_ptr<CodePage> CodePage::System() {
  const UINT ansi = GetACP();
  if (ansi == CP_UTF8) {
    return std::make_unique<Utf8CodePage>();
  }
  return std::make_unique<WindowsCodePage>(ansi);
}

std::unique_ptr<CodePage> CodePage::Named(std::string_view name) {
  if (IsUtf8Name(name)) {
    return std::make_unique<Utf8CodePage>();
  }
  // Windows knows code pages by number: "CP1251" and "windows-1251" both name 1251.
  const auto digits =
      std::find_if(name.begin(), name.end(), [](char c) { return std::isdigit(c); });
  const std::string number(digits, name.end());
  if (number.empty() || !std::all_of(number.begin(), number.end(), ::isdigit) ||
      number.size() > 5 || !IsValidCodePage(std::stoul(number))) {
    return nullptr;
  }
  return std::make_unique<WindowsCodePage>(std::stoul(number));
}

#else

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

#endif

}  // namespace lettermorph
