#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "decode/look_alike_index.h"

namespace lettermorph {

// The ways of writing a whole word that fit its look-alikes, from the LetterCase bits its
// first letter allows and those every letter after it allows.
struct WordSpellings {
  WordSpellings(std::uint8_t first, std::uint8_t rest)
      : small(first & rest & kSmallCase),
        title((first & kCapitalCase) && (rest & kSmallCase)),
        capitals(first & rest & kCapitalCase) {}
  bool Any() const { return small || title || capitals; }

  bool small;
  bool title;
  bool capitals;
};

// Puts a reading's letters into capitals where its look-alike strings and its place call for
// it. A word is written in small letters, with a capital first letter, or all in capitals;
// the look-alikes rule out some of these ("Y" is only the capital "У", "y" only the small),
// and among the rest the start of a sentence and proper nouns ask for the capital first letter.
class CaseChoice {
 public:
  // `cases` holds the LetterCase bits of each letter of `small`.
  CaseChoice(std::u16string_view small, std::span<const std::uint8_t> cases);

  bool AllowsSmall() const { return small_; }
  bool AllowsTitle() const { return title_; }
  bool AllowsCapitals() const { return capitals_; }
  // Some way of writing the whole word fits every look-alike.
  bool AllowsAny() const { return small_ || title_ || capitals_; }

  std::u16string Spell(bool sentenceStart, bool properNoun) const;

 private:
  std::u16string_view letters_;
  std::span<const std::uint8_t> cases_;
  bool small_ = true;
  bool title_ = true;
  bool capitals_ = true;
};

// "москва" becomes "Москва".
std::u16string Capitalised(std::u16string_view small);

}  // namespace lettermorph
