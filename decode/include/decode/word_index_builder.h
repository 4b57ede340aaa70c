#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "recode/replacement_table.h"

namespace lettermorph {

// Gathers the Russian word forms of a dictionary and a frequency list, and the English words,
// and lays them out as a WordIndex for one table. Forms are kept compactly, one byte a
// letter, as a dictionary expands into well over a million of them.
class WordIndexBuilder {
 public:
  // A form from the dictionary, as it spells it: small letters, or a capital first for a name.
  // False, and nothing added, for a form with anything but Russian letters or one too long.
  bool AddDictionaryForm(std::string_view utf8);
  // A form of the frequency list, in small letters, and how often it occurs. It gives its
  // count to the dictionary's forms with the same letters, and is a form of its own where
  // the dictionary has none.
  bool AddListedForm(std::string_view utf8, std::uint32_t count);
  // As above, for a form that the sources write with a capital inside a line: it is indexed as
  // a name, with its capital first, unless the dictionary has it as a common word. One that
  // they `always` write so is a name even then: "Иван" beside the dictionary's "иван".
  bool AddListedName(std::string_view utf8, std::uint32_t count, bool always = false);
  // A word of the English word list; anything but ASCII letters is refused.
  bool AddEnglishWord(std::string_view word);

  // The image of the index for `table`, naming `source` as what it was made from. Empty when
  // the forms are too many to index.
  std::string Build(const ReplacementTable& table, std::string_view source) const&;
  // As above, letting go of the gathered forms once they are merged, which lowers the peak
  // memory of indexing a whole dictionary by a fifth.
  std::string Build(const ReplacementTable& table, std::string_view source) &&;

  // The longest form, in letters, that is kept.
  static constexpr std::size_t kMaxLetters = 64;

 private:
  bool AddRussian(std::string_view utf8, std::uint32_t count, std::uint8_t flags);
  std::string Image(const ReplacementTable& table, std::string_view source,
                    std::vector<std::uint8_t> forms, std::uint32_t formCount) const;

  // Records of [u8 letters][u8 flags][u16 count][slot of each letter], one after another.
  std::vector<std::uint8_t> russian_;
  std::vector<std::uint32_t> russianStarts_;
  // Records of [u8 length][ASCII].
  std::vector<std::uint8_t> english_;
  std::vector<std::uint32_t> englishStarts_;
};

}  // namespace lettermorph
