#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "recode/slot_letters.h"

namespace lettermorph {

// The replacement of every slot in UTF-8, as written and with its ASCII letters in small
// form. Words are found by their folded look-alike, so that "6ygeT", "6YGET" and "6yget" meet
// in one place, and a match is then checked against the exact look-alikes for its case.
class LookAlikeSpelling {
 public:
  // `replacements` in slot order, UTF-8.
  explicit LookAlikeSpelling(const std::array<std::string, kSlotCount>& replacements);

  std::string_view Exact(int slot) const { return exact_[slot]; }
  std::string_view Folded(int slot) const { return folded_[slot]; }

  // Appends the folded look-alike of `slots` (slot numbers) to `out`.
  void AppendFolded(std::span<const std::uint8_t> slots, std::string& out) const;

 private:
  std::array<std::string, kSlotCount> exact_;
  std::array<std::string, kSlotCount> folded_;
};

inline char FoldAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether two look-alikes are the same, by a loop: they are a byte or three, which a call to
// memcmp would cost more than comparing them.
inline bool SamePiece(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) {
      return false;
    }
  }
  return true;
}

// The hash that places a folded look-alike in the index; stored files depend on it.
inline std::uint64_t LookAlikeHash(std::string_view folded) {
  std::uint64_t hash = 0xCBF29CE484222325u;
  for (const char c : folded) {
    hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3u;
  }
  // FNV leaves its top bits, which choose the bucket, poorly mixed for short keys.
  hash ^= hash >> 33;
  hash *= 0xFF51AFD7ED558CCDu;
  hash ^= hash >> 33;
  return hash;
}

}  // namespace lettermorph
