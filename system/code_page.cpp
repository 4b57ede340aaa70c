#include "system/code_page.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <string>

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

// A character set's name in capitals without punctuation: "koi8-r" and "KOI8_R" are one.
std::string Folded(std::string_view name) {
  std::string folded;
  for (char c : name) {
    if (std::isalnum(static_cast<unsigned char>(c))) {
      folded += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
  }
  return folded;
}

#ifdef _WIN32
// Windows knows code pages by number; the names other systems use map onto those numbers.
std::optional<unsigned> WindowsCodePageNumber(std::string_view name) {
  static const std::map<std::string, unsigned, std::less<>> kNamed = {
      {"UTF8", 65001},    {"KOI8R", 20866},       {"KOI8U", 21866},        {"ASCII", 20127},
      {"USASCII", 20127}, {"MACCYRILLIC", 10007}, {"XMACCYRILLIC", 10007},
  };
  const std::string folded = Folded(name);
  if (const auto it = kNamed.find(folded); it != kNamed.end()) {
    return it->second;
  }
  // "CP1251", "windows-1251", "IBM866", "1251", and "ISO-8859-5" as 28595.
  for (const std::string_view prefix : {"WINDOWS", "CP", "IBM", "ISO8859", ""}) {
    const std::string_view digits =
        std::string_view(folded).substr(folded.starts_with(prefix) ? prefix.size() : folded.size());
    if (!folded.starts_with(prefix) || digits.empty() || digits.size() > 5 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      continue;
    }
    const auto number = static_cast<unsigned>(std::stoul(std::string(digits)));
    return prefix == "ISO8859" ? 28590 + number : number;
  }
  return std::nullopt;
}
#else
bool IsUtf8Name(std::string_view name) {
  const std::string folded = Folded(name);
  return folded == "UTF8" || folded == "CP65001";
}
#endif

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
  const std::optional<unsigned> number = WindowsCodePageNumber(name);
  if (!number || !IsValidCodePage(*number)) {
    return nullptr;
  }
  if (*number == CP_UTF8) {
    return std::make_unique<Utf8CodePage>();
  }
  return std::make_unique<WindowsCodePage>(*number);
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
