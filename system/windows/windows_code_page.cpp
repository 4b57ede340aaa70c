#include "windows_code_page.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace lettermorph {
namespace {

constexpr char16_t kReplacementCharacter = 0xFFFD;

// The Win32 conversions take int lengths, so longer texts go through in pieces.
constexpr std::size_t kPiece = 1u << 30;

// In the ANSI code pages of the 125x family and in 874 the bytes 80..9F are printable
// characters or undefined, and Windows (and Wine) pass an undefined one through as the C1
// control of the same value; such a control can only mean an undefined byte.
bool PassesUndefinedBytesThrough(unsigned codePage) {
  return codePage == 874 || (codePage >= 1250 && codePage <= 1258);
}

// One character of `text` from `at`: a surrogate pair counts as one.
std::size_t CharacterLength(std::u16string_view text, std::size_t at) {
  const bool pair = text[at] >= 0xD800 && text[at] <= 0xDBFF && at + 1 < text.size() &&
                    text[at + 1] >= 0xDC00 && text[at + 1] <= 0xDFFF;
  return pair ? 2 : 1;
}

}  // namespace

WindowsCodePage::WindowsCodePage(unsigned codePage) : codePage_(codePage) {
  CPINFO info{};
  if (GetCPInfo(codePage_, &info)) {
    singleByte_ = info.MaxCharSize == 1;
    const auto* fallback = reinterpret_cast<const char*>(info.DefaultChar);
    defaultCharacter_.assign(fallback, strnlen(fallback, MAX_DEFAULTCHAR));
  }
  if (!singleByte_) {
    return;
  }
  for (unsigned byte = 0; byte < 256; ++byte) {
    const char in = static_cast<char>(byte);
    wchar_t unit = 0;
    const bool defined =
        MultiByteToWideChar(codePage_, MB_ERR_INVALID_CHARS, &in, 1, &unit, 1) == 1;
    const bool passedThrough =
        byte >= 0x80 && byte <= 0x9F && unit == byte && PassesUndefinedBytesThrough(codePage_);
    byteTable_[byte] =
        defined && !passedThrough ? static_cast<char16_t>(unit) : kReplacementCharacter;
  }
}

std::u16string WindowsCodePage::ToUtf16(std::string_view bytes) const {
  if (singleByte_) {
    std::u16string text(bytes.size(), u'\0');
    std::transform(bytes.begin(), bytes.end(), text.begin(),
                   [this](char byte) { return byteTable_[static_cast<unsigned char>(byte)]; });
    return text;
  }
  std::u16string text;
  for (std::size_t at = 0; at < bytes.size(); at += kPiece) {
    const std::string_view piece = bytes.substr(at, kPiece);
    const int length = static_cast<int>(piece.size());
    const int units =
        MultiByteToWideChar(codePage_, MB_ERR_INVALID_CHARS, piece.data(), length, nullptr, 0);
    if (units <= 0) {
      // Somewhere in the piece is a byte the code page does not define.
      text += ToUtf16ByteByByte(piece);
      continue;
    }
    const std::size_t before = text.size();
    text.resize(before + static_cast<std::size_t>(units));
    MultiByteToWideChar(codePage_, MB_ERR_INVALID_CHARS, piece.data(), length,
                        reinterpret_cast<wchar_t*>(text.data() + before), units);
  }
  return text;
}

// For a code page of one or two bytes a character: each character on its own, and U+FFFD for
// each byte that starts none.
std::u16string WindowsCodePage::ToUtf16ByteByByte(std::string_view bytes) const {
  std::u16string text;
  for (std::size_t at = 0; at < bytes.size();) {
    const bool lead =
        IsDBCSLeadByteEx(codePage_, static_cast<BYTE>(bytes[at])) && at + 1 < bytes.size();
    const int length = lead ? 2 : 1;
    wchar_t units[2];
    const int got =
        MultiByteToWideChar(codePage_, MB_ERR_INVALID_CHARS, bytes.data() + at, length, units, 2);
    if (got > 0) {
      text.append(reinterpret_cast<const char16_t*>(units), static_cast<std::size_t>(got));
      at += static_cast<std::size_t>(length);
    } else {
      text += kReplacementCharacter;
      ++at;
    }
  }
  return text;
}

bool WindowsCodePage::FromUtf16(std::u16string_view text, std::string& out) const {
  // Converts `part`, or returns false when the call refuses it or has to use the default
  // character somewhere in it.
  const auto convert = [&](std::u16string_view part) {
    const auto* wide = reinterpret_cast<const wchar_t*>(part.data());
    const int length = static_cast<int>(part.size());
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(codePage_, WC_NO_BEST_FIT_CHARS, wide, length, nullptr, 0,
                                         nullptr, &usedDefault);
    if (size <= 0 || usedDefault) {
      return false;
    }
    const std::size_t before = out.size();
    out.resize(before + static_cast<std::size_t>(size));
    WideCharToMultiByte(codePage_, WC_NO_BEST_FIT_CHARS, wide, length, out.data() + before, size,
                        nullptr, nullptr);
    return true;
  };
  bool exact = true;
  for (std::size_t at = 0; at < text.size(); at += kPiece) {
    const std::u16string_view piece = text.substr(at, kPiece);
    if (convert(piece)) {
      continue;
    }
    // A character at a time, so that each one the code page lacks, a surrogate pair
    // included, becomes one default character.
    for (std::size_t i = 0; i < piece.size();) {
      const std::size_t length = CharacterLength(piece, i);
      if (!convert(piece.substr(i, length))) {
        out += defaultCharacter_;
        exact = false;
      }
      i += length;
    }
  }
  return exact;
}

}  // namespace lettermorph
