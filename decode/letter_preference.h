#pragma once

#include <string_view>

namespace lettermorph {

// How unlikely a spelling is among those a look-alike string allows, from letter patterns
// alone: lower is likelier. Only differences between readings of one token matter. It breaks
// ties between known words and reads a token that is no known word.
int PreferencePenalty(std::u16string_view small);

// One letter's share of the penalty, from its place and whether vowels stand beside it;
// `beforeI` tells that "и" or "й" comes after it.
int LetterPenalty(char16_t small, bool first, bool afterVowel, bool beforeVowel,
                  bool beforeI = false);

}  // namespace lettermorph
