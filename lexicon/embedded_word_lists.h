#pragma once

#include <string_view>

namespace lettermorph {

// The word lists built into the program. The frequency list has lines "form<TAB>count" and
// comments starting with "#"; the English dictionary is a Hunspell .aff and .dic pair.
extern const std::string_view kWordFrequencies;
extern const std::string_view kEnglishAffixes;
extern const std::string_view kEnglishWords;
// A digest of the three lists above, fixed when the program is built: it changes when any of
// them does, so a word index built from older lists is not taken for one built from these.
extern const std::string_view kWordListsDigest;

}  // namespace lettermorph
