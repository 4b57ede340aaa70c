#include "recode/recode_text.h"

#include <cassert>
#include <cstring>

namespace lettermorph {

std::u16string RecodeText(std::u16string_view text, const ReplacementTable& table) {
  std::u16string out(RecodedLength(text, table), u'\0');
  RecodeTextInto(text, table, out);
  return out;
}

std::size_t RecodedLength(std::u16string_view text, const ReplacementTable& table) {
  const RecodeLookup& lookup = table.Lookup();
  std::size_t length = 0;
  for (char16_t c : text) {
    length += lookup.For(c).length;
  }
  return length;
}

void RecodeTextInto(std::u16string_view text, const ReplacementTable& table,
                    std::span<char16_t> out) {
  const RecodeLookup& lookup = table.Lookup();
  constexpr std::size_t kInline = RecodeLookup::kInlineUnits;

  // Short replacements are copied whole, zero padding included, which is faster than a copy
  // of their exact length; the padding is overwritten by what follows. That needs room for
  // the padding, so the last characters, whose output ends within the padding's reach, are
  // written exactly.
  std::size_t tail = text.size();
  for (std::size_t after = 0; tail > 0 && after < kInline;) {
    after += lookup.For(text[--tail]).length;
  }

  char16_t* dst = out.data();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const RecodeLookup::Entry& entry = lookup.For(c);
    if (entry.length <= kInline && i < tail) [[likely]] {
      auto units = entry.units;
      units[0] |= static_cast<char16_t>(c & entry.passMask);
      std::memcpy(dst, units.data(), sizeof units);
    } else if (entry.passMask != 0) {
      *dst = c;
    } else {
      std::memcpy(dst, entry.length <= kInline ? entry.units.data() : entry.text,
                  entry.length * sizeof(char16_t));
    }
    dst += entry.length;
  }
  assert(dst == out.data() + out.size());
}

}  // namespace lettermorph
