#include "system/code_page.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>

#include "charset_name.h"
#include "system/utf8_code_page.h"
#include "windows_code_page.h"

namespace lettermorph {
namespace {

// Windows knows code pages by number; the names other systems use map onto those numbers.
std::optional<unsigned> WindowsCodePageNumber(std::string_view name) {
  static const std::map<std::string, unsigned, std::less<>> kNamed = {
      {"UTF8", 65001},    {"KOI8R", 20866},       {"KOI8U", 21866},        {"ASCII", 20127},
      {"USASCII", 20127}, {"MACCYRILLIC", 10007}, {"XMACCYRILLIC", 10007},
  };
  const std::string folded = FoldedCharsetName(name);
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

}  // namespace

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

}  // namespace lettermorph
