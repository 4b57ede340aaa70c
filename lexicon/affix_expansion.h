#pragma once

#include <functional>
#include <string_view>

namespace lettermorph {

// Every word form of a Hunspell dictionary: each word of its .dic file, and each form its
// prefix and suffix rules in the .aff file make of it, prefixes and suffixes together where
// both allow it. Conditions are read as characters, not bytes, so that a UTF-8 condition such
// as "[^сз]ться" matches. Forms that only occur inside compounds, and forbidden words, are
// left out. Only UTF-8 dictionaries are read.
//
// Calls `form` for each form, in UTF-8, possibly more than once for one; returns false, having
// called it for none, when the .aff file names another character set or flags it cannot read.
bool ExpandDictionary(std::string_view affix, std::string_view words,
                      const std::function<void(std::string_view form)>& form);

}  // namespace lettermorph
