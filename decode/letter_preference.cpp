#include "letter_preference.h"

#include "russian_letters.h"

namespace lettermorph {

int LetterPenalty(char16_t small, bool first, bool afterVowel, bool beforeVowel, bool beforeI) {
  switch (small) {
    // "й" follows a vowel and ends a syllable ("мой", "край"); "и" is likelier elsewhere.
    // Neither stands between a vowel and "и" or "й", where a look-alike they share with "ц"
    // is the "ц" of "-ция" and "-ционный" ("операции", "персонализационный").
    case u'й':
      return beforeI ? 4 : afterVowel && !beforeVowel ? 0 : 2;
    case u'и':
      return afterVowel && beforeI ? 4 : afterVowel && !beforeVowel ? 1 : 0;
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

int PreferencePenalty(std::u16string_view small) {
  int penalty = 0;
  for (std::size_t i = 0; i < small.size(); ++i) {
    const bool afterVowel = i > 0 && IsVowel(small[i - 1]);
    const bool beforeVowel = i + 1 < small.size() && IsVowel(small[i + 1]);
    const bool beforeI = i + 1 < small.size() && (small[i + 1] == u'и' || small[i + 1] == u'й');
    penalty += LetterPenalty(small[i], i == 0, afterVowel, beforeVowel, beforeI);
  }
  return penalty;
}

}  // namespace lettermorph
