#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

// Conversions the harnesses compare the program against. They share no code with text/ or
// system/ and are written differently on purpose: the UTF-8 reader follows Unicode's table of
// well-formed byte sequences instead of converting and then range-checking, and the code pages
// are literal charts instead of iconv.
namespace lettermorph::fuzz {

// Unicode's well-formed UTF-8 sequences: for each range of lead bytes, the sequence length
// and the range allowed for the second byte; every later byte is 80..BF.
struct Utf8Form {
  unsigned char leadLow, leadHigh;
  int length;
  unsigned char secondLow, secondHigh;
};
inline constexpr Utf8Form kUtf8Forms[] = {
    {0x00, 0x7F, 1, 0, 0},       {0xC2, 0xDF, 2, 0x80, 0xBF}, {0xE0, 0xE0, 3, 0xA0, 0xBF},
    {0xE1, 0xEC, 3, 0x80, 0xBF}, {0xED, 0xED, 3, 0x80, 0x9F}, {0xEE, 0xEF, 3, 0x80, 0xBF},
    {0xF0, 0xF0, 4, 0x90, 0xBF}, {0xF1, 0xF3, 4, 0x80, 0xBF}, {0xF4, 0xF4, 4, 0x80, 0x8F},
};

// The length of the well-formed sequence at the start of `bytes`, or nothing.
inline std::optional<int> WellFormedLength(std::string_view bytes) {
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  for (const Utf8Form& form : kUtf8Forms) {
    if (at(0) < form.leadLow || at(0) > form.leadHigh) {
      continue;
    }
    if (bytes.size() < static_cast<std::size_t>(form.length)) {
      return std::nullopt;
    }
    for (int i = 1; i < form.length; ++i) {
      const unsigned char low = i == 1 ? form.secondLow : 0x80;
      const unsigned char high = i == 1 ? form.secondHigh : 0xBF;
      if (at(i) < low || at(i) > high) {
        return std::nullopt;
      }
    }
    return form.length;
  }
  return std::nullopt;
}

inline void AppendCodePoint(char32_t code, std::u16string& out) {
  if (code < 0x10000) {
    out += static_cast<char16_t>(code);
  } else {
    out += static_cast<char16_t>(0xD7C0 + (code >> 10));
    out += static_cast<char16_t>(0xDC00 | (code & 0x3FF));
  }
}

// Every byte that does not begin a well-formed sequence, and is not inside one, becomes one
// U+FFFD, as the program promises.
inline std::u16string Utf16FromUtf8Reference(std::string_view bytes) {
  std::u16string text;
  while (!bytes.empty()) {
    const std::optional<int> length = WellFormedLength(bytes);
    if (!length) {
      text += u'\uFFFD';
      bytes.remove_prefix(1);
      continue;
    }
    static constexpr unsigned char kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t code = static_cast<unsigned char>(bytes[0]) & kLeadBits[*length];
    for (int i = 1; i < *length; ++i) {
      code = (code << 6) | (static_cast<unsigned char>(bytes[i]) & 0x3F);
    }
    AppendCodePoint(code, text);
    bytes.remove_prefix(*length);
  }
  return text;
}

inline bool IsWellFormedUtf8(std::string_view bytes) {
  while (!bytes.empty()) {
    const std::optional<int> length = WellFormedLength(bytes);
    if (!length) {
      return false;
    }
    bytes.remove_prefix(*length);
  }
  return true;
}

inline bool IsSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDFFF;
}

// Whether every surrogate in `text` is half of a pair, as UTF-8 needs.
inline bool SurrogatesPaired(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() &&
                      text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    if (pair) {
      ++i;
    } else if (IsSurrogate(text[i])) {
      return false;
    }
  }
  return true;
}

// UTF-8 of `text`; an unpaired surrogate, which UTF-8 cannot carry, becomes "?".
inline std::string EncodeUtf8Reference(std::u16string_view text) {
  std::string bytes;
  const auto put = [&](unsigned value) { bytes += static_cast<char>(value); };
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t code = text[i];
    if (IsSurrogate(text[i])) {
      const bool paired =
          text[i] < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
      if (!paired) {
        put('?');
        continue;
      }
      code = 0x10000 + (char32_t(text[i] - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    if (code < 0x80) {
      put(code);
    } else if (code < 0x800) {
      put(0xC0 + (code >> 6)), put(0x80 + (code & 0x3F));
    } else if (code < 0x10000) {
      put(0xE0 + (code >> 12)), put(0x80 + ((code >> 6) & 0x3F)), put(0x80 + (code & 0x3F));
    } else {
      put(0xF0 + (code >> 18)), put(0x80 + ((code >> 12) & 0x3F));
      put(0x80 + ((code >> 6) & 0x3F)), put(0x80 + (code & 0x3F));
    }
  }
  return bytes;
}

// Bytes 80..FF of the two Cyrillic code pages, from their published charts; 00..7F are ASCII
// in both. Byte 98 is undefined in Windows-1251 and reads as U+FFFD.
inline constexpr std::u16string_view kCp1251High =
    u"ЂЃ‚ѓ„…†‡€‰Љ‹ЊЌЋЏ"
    u"ђ‘’“”•–—\uFFFD™љ›њќћџ"
    u"\u00A0ЎўЈ¤Ґ¦§Ё©Є«¬\u00AD®Ї"
    u"°±Ііґµ¶·ё№є»јЅѕї"
    u"АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"
    u"абвгдежзийклмнопрстуфхцчшщъыьэюя";
inline constexpr std::u16string_view kKoi8RHigh =
    u"─│┌┐└┘├┤┬┴┼▀▄█▌▐"
    u"░▒▓⌠■∙√≈≤≥\u00A0⌡°²·÷"
    u"═║╒ё╓╔╕╖╗╘╙╚╛╜╝╞"
    u"╟╠╡Ё╢╣╤╥╦╧╨╩╪╫╬©"
    u"юабцдефгхийклмнопярстужвьызшэщчъ"
    u"ЮАБЦДЕФГХИЙКЛМНОПЯРСТУЖВЬЫЗШЭЩЧЪ";
static_assert(kCp1251High.size() == 128 && kKoi8RHigh.size() == 128);

// A single-byte code page from its chart of bytes 80..FF, with the chart turned around once
// so that writing a character needs no search.
class SingleByteCodePage {
 public:
  explicit SingleByteCodePage(std::u16string_view high) : high_(high) {
    for (std::size_t i = 0; i < high.size(); ++i) {
      if (high[i] != u'\uFFFD') {
        byteOf_[high[i]] = static_cast<unsigned char>(0x80 + i);
      }
    }
  }

  std::u16string ToUtf16(std::string_view bytes) const {
    std::u16string text;
    for (char byte : bytes) {
      const auto value = static_cast<unsigned char>(byte);
      text += value < 0x80 ? char16_t(value) : high_[value - 0x80];
    }
    return text;
  }

  bool Has(char16_t c) const { return c < 0x80 || byteOf_[c] != 0; }

  // "?" for a character the code page lacks; a surrogate pair is one character.
  std::string FromUtf16(std::u16string_view text) const {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (Has(text[i])) {
        bytes += static_cast<char>(text[i] < 0x80 ? text[i] : byteOf_[text[i]]);
        continue;
      }
      bytes += '?';
      const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() &&
                        text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
      i += pair ? 1 : 0;
    }
    return bytes;
  }

 private:
  std::u16string_view high_;
  std::array<unsigned char, 0x10000> byteOf_{};
};

}  // namespace lettermorph::fuzz
