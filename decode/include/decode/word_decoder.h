#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "decode/look_alike_index.h"
#include "decode/word_index.h"
#include "recode/replacement_table.h"

namespace lettermorph {

// What one token of look-alike text reads as.
struct DecodedWord {
  enum class Kind : std::uint8_t {
    Number,   // digits only: copied, and says nothing about the language around it
    Foreign,  // no Russian reading, or an English word that is no Russian one: copied
    Russian,  // written as one of the two spellings below
  };
  // The case of the first letter, where the look-alike shows it.
  enum class FirstLetter : std::uint8_t { Either, Small, Capital };

  Kind kind = Kind::Foreign;
  // It may as well be English: an English word, or Latin letters in one case that spell no
  // known Russian word. Its neighbours decide ("no", "cup").
  bool mayBeEnglish = false;
  // A known word's first letter is a capital whatever its place ("Москва").
  bool properNoun = false;
  FirstLetter first = FirstLetter::Either;
  std::string plain;        // UTF-8, where nothing calls for a capital
  std::string capitalised;  // where a sentence starts
};

// Reads one token. A token that spells known Russian words, written in any case, is the most
// frequent of them, preferring one where no letter vanished; one that spells none is read
// letter by letter by the fixed preference, unless it is an English word. Without an index
// every token that can be read at all is read letter by letter.
class WordDecoder {
 public:
  // Keeps a pointer to `index`, which may be null and must have been built for `table`, and a
  // copy of the table.
  WordDecoder(const ReplacementTable& table, const WordIndex* index);

  DecodedWord Decode(std::string_view token) const;

  // Every code unit that some replacement holds; they belong to words, like letters.
  const std::u16string& WordCharacters() const { return letters_.Characters(); }

 private:
  struct Choice {
    std::u16string small;
    std::vector<std::uint8_t> cases;
    bool properNoun = false;
  };

  bool ChooseKnown(std::string_view token, Choice& choice) const;

  LookAlikeIndex letters_;
  const WordIndex* index_;
  mutable std::string folded_;
  mutable std::vector<WordIndex::Match> matches_;
};

}  // namespace lettermorph
