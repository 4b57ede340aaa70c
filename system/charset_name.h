#pragma once

#include <string>
#include <string_view>

namespace lettermorph {

// A character set's name in capitals without punctuation: "koi8-r" and "KOI8_R" are one.
std::string FoldedCharsetName(std::string_view name);

}  // namespace lettermorph
