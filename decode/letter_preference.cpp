#include "letter_preference.h"

#include <algorithm>
#include <array>

#include "russian_letters.h"

namespace lettermorph {

int PreferencePenalty(std::u16string_view small) {
  int penalty = 0;
  for (std::size_t i = 0; i < small.size(); ++i) {
    const bool afterVowel = i > 0 && IsVowel(small[i - 1]);
    const bool beforeVowel = i + 1 < small.size() && IsVowel(small[i + 1]);
    switch (small[i]) {
      // "й" follows a vowel and ends a syllable ("мой", "край"); "и" is likelier elsewhere.
      case u'й':
        penalty += afterVowel && !beforeVowel ? 0 : 2;
        break;
      case u'и':
        penalty += afterVowel && !beforeVowel ? 1 : 0;
        break;
      case u'ц':
        penalty += 3;
        break;
      case u'щ':
      case u'ё':
        penalty += 1;
        break;
      // "э" mostly starts a word ("это", "эхо").
      case u'э':
        penalty += i == 0 ? 1 : 3;
        break;
      default:
        break;
    }
  }
  return penalty;
}

bool KeepsPlainE(std::u16string_view small) {
  static constexpr std::array<std::u16string_view, 9> kWords = {
      u"все", u"всем", u"лет", u"мел", u"небо", u"осел", u"сел", u"села", u"узнаем"};
  return std::find(kWords.begin(), kWords.end(), small) != kWords.end();
}

}  // namespace lettermorph
