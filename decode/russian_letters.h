#pragma once

#include <cstdint>
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

// Called for every letter of every candidate reading, so a bit set rather than a search:
// bit i stands for "а" + i, and the capitals "А" to "Я" fold onto it.
constexpr bool IsVowel(char16_t letter) {
  constexpr std::uint32_t kVowels =
      (1u << (u'а' - u'а')) | (1u << (u'е' - u'а')) | (1u << (u'и' - u'а')) |
      (1u << (u'о' - u'а')) | (1u << (u'у' - u'а')) | (1u << (u'ы' - u'а')) |
      (1u << (u'э' - u'а')) | (1u << (u'ю' - u'а')) | (1u << (u'я' - u'а'));
  if (letter == u'ё' || letter == u'Ё') {
    return true;
  }
  const char16_t small = letter >= u'А' && letter <= u'Я' ? letter + (u'а' - u'А') : letter;
  return small >= u'а' && small <= u'я' && (kVowels >> (small - u'а')) & 1;
}

constexpr bool IsRussianLetter(char16_t letter) {
  return SlotOf(letter) >= 0;
}

}  // namespace lettermorph
