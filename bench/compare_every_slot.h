#pragma once

#include <array>
#include <string>
#include <string_view>

#include "recode/replacement_table.h"

namespace lettermorph {

// The recoding pass written the plain way: every character compared with all 66 letters in
// slot order. The yardstick for the recoding pass's speed, and for its results in the tests.
inline std::u16string CompareEverySlot(std::u16string_view text, const ReplacementTable& table) {
  std::array<char16_t, kSlotCount> letters;
  std::array<std::u16string_view, kSlotCount> replacements;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    letters[slot] = *table.LetterAt(slot);
    replacements[slot] = *table.ReplacementAt(slot);
  }
  std::u16string out;
  out.reserve(text.size() * 2);
  for (char16_t c : text) {
    bool found = false;
    for (int slot = 0; slot < kSlotCount; ++slot) {
      if (letters[slot] == c) {
        out += replacements[slot];
        found = true;
      }
    }
    if (!found) {
      out += c;
    }
  }
  return out;
}

}  // namespace lettermorph
