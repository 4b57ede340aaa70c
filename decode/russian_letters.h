#pragma once

#include <string_view>

#include "recode/slot_letters.h"

namespace lettermorph {

// Case and sound classes of the 66 table letters. Every other character is its own small
// and capital form, and neither a vowel nor a consonant.
constexpr int SlotOf(char16_t letter) {
  const auto at = kSlotLetters.find(letter);
  return at == kSlotLetters.npos ? -1 : static_cast<int>(at);
}

constexpr char16_t ToSmall(char16_t letter) {
  const int slot = SlotOf(letter);
  return slot >= 0 && slot < kSlotCount / 2 ? kSlotLetters[slot + kSlotCount / 2] : letter;
}

constexpr char16_t ToCapital(char16_t letter) {
  const int slot = SlotOf(letter);
  return slot >= kSlotCount / 2 ? kSlotLetters[slot - kSlotCount / 2] : letter;
}

constexpr bool IsVowel(char16_t letter) {
  return std::u16string_view(u"аеёиоуыэюяАЕЁИОУЫЭЮЯ").find(letter) != std::u16string_view::npos;
}

constexpr bool IsRussianLetter(char16_t letter) {
  return SlotOf(letter) >= 0;
}

}  // namespace lettermorph
