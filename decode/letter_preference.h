#pragma once

#include <string_view>

namespace lettermorph {

// How unlikely a spelling is among those a look-alike string allows, from letter patterns
// alone: lower is likelier. Only differences between readings of one token matter. It breaks
// ties between known words and reads a token that is no known word.
int PreferencePenalty(std::u16string_view small);

// One letter's share of the penalty, from its place and whether vowels stand beside it;
// `beforeI` tells that "и" or "й" comes after it, `beforeYery` that "ы" does. Inline: reading a
// token letter by letter asks it for every letter that may follow every reading so far.
inline int LetterPenalty(char16_t small, bool first, bool afterVowel, bool beforeVowel,
                         bool beforeI = false, bool beforeYery = false) {
  switch (small) {
    // "й" follows a vowel and ends a syllable ("мой", "край"); "и" is likelier elsewhere.
    // Neither stands between a vowel and "и" or "й", where a look-alike they share with "ц"
    // is the "ц" of "-ция" and "-ционный" ("операции", "персонализационный"). Nor does either
    // stand before "ы", which follows "ц" ("цыплёнок", "Цыпкин").
    case u'й':
      return beforeI || beforeYery ? 4 : afterVowel && !beforeVowel ? 0 : 2;
    case u'и':
      return (afterVowel && beforeI) || beforeYery ? 4 : afterVowel && !beforeVowel ? 1 : 0;
    case u'ц':
      return 3;
    case u'щ':
    case u'ё':
      return 1;
    // "э" mostly starts a word ("это", "эхо").
    case u'э':
      return first ? 1 : 3;
    default:
      return 0;
  }
}

}  // namespace lettermorph
