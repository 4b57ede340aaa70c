#pragma once

#include <string_view>

namespace lettermorph {

// How unlikely a spelling is among those a look-alike string allows, from letter patterns
// alone: lower is likelier. Only differences between readings of one token matter. It orders
// the readings the dictionary is asked about, and chooses when there is no dictionary.
int PreferencePenalty(std::u16string_view small);

// Words spelled with "е" whose twin with "ё" is another, rarer word ("все" and "всё"), so
// that a dictionary knowing both cannot tell which one a look-alike "e" stood for. For every
// other word the "ё" spelling, where the dictionary has one, is the right one.
bool KeepsPlainE(std::u16string_view small);

}  // namespace lettermorph
