#include "letter_preference.h"

#include "russian_letters.h"

namespace lettermorph {

int PreferencePenalty(std::u16string_view small) {
  int penalty = 0;
  for (std::size_t i = 0; i < small.size(); ++i) {
    const bool afterVowel = i > 0 && IsVowel(small[i - 1]);
    const bool beforeVowel = i + 1 < small.size() && IsVowel(small[i + 1]);
    const bool beforeI = i + 1 < small.size() && (small[i + 1] == u'и' || small[i + 1] == u'й');
    const bool beforeYery = i + 1 < small.size() && small[i + 1] == u'ы';
    penalty += LetterPenalty(small[i], i == 0, afterVowel, beforeVowel, beforeI, beforeYery);
  }
  return penalty;
}

}  // namespace lettermorph
