#pragma once

#include <string_view>

namespace lettermorph {

// The word lists built into the program. The frequency list has lines "form<TAB>count" and
// comments starting with "#"; the English dictionary is a Hunspell .aff and .dic pair.
extern const std::string_view kWordFrequencies;
extern const std::string_view kEnglishAffixes;
extern const std::string_view kEnglishWords;

}  // namespace lettermorph
