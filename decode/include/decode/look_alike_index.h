#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "recode/replacement_table.h"

namespace lettermorph {

// Which forms of a letter a look-alike string may stand for: "6" is "б" in either case,
// "Y" only the capital "У".
enum LetterCase : std::uint8_t { kSmallCase = 1, kCapitalCase = 2 };

struct Reading {
  char16_t letter;  // the small form
  std::uint8_t cases;
};

// The replacement table read backwards: from each replacement string to the letters it may
// stand for, and the letters whose replacement is empty and so vanish from recoded text.
class LookAlikeIndex {
 public:
  struct Entry {
    std::u16string text;
    std::vector<Reading> readings;
  };

  // Takes a copy; later changes to the table are not seen.
  explicit LookAlikeIndex(const ReplacementTable& table);

  // Appends to `out` every entry whose text `rest` begins with.
  void MatchesAt(std::u16string_view rest, std::vector<const Entry*>& out) const;

  std::span<const Reading> Vanished() const { return vanished_; }

  // Every code unit that some replacement holds; they belong to words, like letters.
  const std::u16string& Characters() const { return characters_; }

 private:
  std::vector<Entry> entries_;
  // Entries by their first code unit: ASCII, which most look-alikes start with, in an array.
  std::array<std::vector<std::size_t>, 128> byFirstAscii_;
  std::unordered_map<char16_t, std::vector<std::size_t>> byFirstUnit_;
  std::vector<Reading> vanished_;
  std::u16string characters_;
};

}  // namespace lettermorph
