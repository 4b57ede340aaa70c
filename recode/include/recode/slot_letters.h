#pragma once

#include <string_view>

namespace lettermorph {

inline constexpr int kSlotCount = 66;

// The fixed letter of every slot: the 33 capitals "А" to "Я" with "Ё" after "Е", then the
// 33 small letters in the same order, so slot k + 33 is the small form of slot k.
inline constexpr std::u16string_view kSlotLetters =
    u"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдеёжзийклмнопрстуфхцчшщъыьэюя";

static_assert(kSlotLetters.size() == kSlotCount);

constexpr bool IsSlotIndex(int slot) {
  return slot >= 0 && slot < kSlotCount;
}

}  // namespace lettermorph
