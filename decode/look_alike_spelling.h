#pragma once

#include <array>
#include <cstdint>
#include <cstring>
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

  // Whether every replacement is kPieceBytes long or shorter, so that a piece of a token is
  // compared with one in a single step: PieceAt() against ExactPiece().
  bool ShortPieces() const { return shortPieces_; }
  // The replacement's length and, where ShortPieces(), its bytes as PieceAt() reads them, as
  // written and folded.
  std::size_t Length(int slot) const { return lengths_[slot]; }
  std::uint64_t ExactPiece(int slot) const { return exactPieces_[slot]; }
  std::uint64_t FoldedPiece(int slot) const { return foldedPieces_[slot]; }

  // Appends the folded look-alike of `slots` (slot numbers) to `out`.
  void AppendFolded(std::span<const std::uint8_t> slots, std::string& out) const;

 private:
  std::array<std::string, kSlotCount> exact_;
  std::array<std::string, kSlotCount> folded_;
  std::array<std::size_t, kSlotCount> lengths_{};
  std::array<std::uint64_t, kSlotCount> exactPieces_{};
  std::array<std::uint64_t, kSlotCount> foldedPieces_{};
  bool shortPieces_ = true;
};

// The longest replacement compared in one step.
inline constexpr std::size_t kPieceBytes = 8;

// The `length` bytes at `at`, kPieceBytes or fewer, as one word with zeros after them; the
// kPieceBytes bytes from `at` must be readable. The same bytes give the same word on any
// processor.
inline std::uint64_t PieceAt(const char* at, std::size_t length) {
  static constexpr unsigned char kMask[2 * kPieceBytes] = {0xFF, 0xFF, 0xFF, 0xFF,
                                                           0xFF, 0xFF, 0xFF, 0xFF};
  std::uint64_t word;
  std::uint64_t mask;
  std::memcpy(&word, at, sizeof word);
  std::memcpy(&mask, kMask + kPieceBytes - length, sizeof mask);
  return word & mask;
}

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

// The hash that places a folded look-alike in the index; stored files depend on it. It is
// worked out a byte at a time, so that a caller may fold and hash in one pass.
inline constexpr std::uint64_t kLookAlikeHashStart = 0xCBF29CE484222325u;

inline std::uint64_t LookAlikeHashByte(std::uint64_t hash, char c) {
  return (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3u;
}

inline std::uint64_t LookAlikeHashEnd(std::uint64_t hash) {
  // FNV leaves its top bits, which choose the bucket, poorly mixed for short keys.
  hash ^= hash >> 33;
  hash *= 0xFF51AFD7ED558CCDu;
  hash ^= hash >> 33;
  return hash;
}

inline std::uint64_t LookAlikeHash(std::string_view folded) {
  std::uint64_t hash = kLookAlikeHashStart;
  for (const char c : folded) {
    hash = LookAlikeHashByte(hash, c);
  }
  return LookAlikeHashEnd(hash);
}

}  // namespace lettermorph
