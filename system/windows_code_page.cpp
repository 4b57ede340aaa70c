#include "system/windows_code_page.h"

#include <windows.h>

#include <algorithm>
#include <climits>

namespace lettermorph {
namespace {

// The Win32 conversions take int lengths, so longer texts go through in pieces.
constexpr std::size_t kPiece = 1u << 30;

}  // namespace

std::u16string WindowsCodePage::Decode(std::string_view bytes) const {
  std::u16string text;
  for (std::size_t at = 0; at < bytes.size(); at += kPiece) {
    const int length = static_cast<int>(std::min(kPiece, bytes.size() - at));
    const int units = MultiByteToWideChar(codePage_, 0, bytes.data() + at, length, nullptr, 0);
    const std::size_t before = text.size();
    text.resize(before + units);
    MultiByteToWideChar(codePage_, 0, bytes.data() + at, length,
                        reinterpret_cast<wchar_t*>(text.data() + before), units);
  }
  return text;
}

bool WindowsCodePage::Encode(std::u16string_view text, std::string& out) const {
  bool exact = true;
  for (std::size_t at = 0; at < text.size(); at += kPiece) {
    const auto* piece = reinterpret_cast<const wchar_t*>(text.data() + at);
    const int length = static_cast<int>(std::min(kPiece, text.size() - at));
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(codePage_, WC_NO_BEST_FIT_CHARS, piece, length, nullptr, 0,
                                         nullptr, &usedDefault);
    const std::size_t before = out.size();
    out.resize(before + size);
    WideCharToMultiByte(codePage_, WC_NO_BEST_FIT_CHARS, piece, length, out.data() + before, size,
                        nullptr, &usedDefault);
    exact = exact && !usedDefault;
  }
  return exact;
}

}  // namespace lettermorph
