#pragma once

#include <string>
#include <string_view>

#include "decode/word_index.h"
#include "recode/replacement_table.h"

namespace lettermorph {

// Turns look-alike text made with `table` back into Russian, as Utf8StreamDecoder does for a
// stream: words that read as Russian are decoded, everything else is copied. `index`, built
// for `table`, knows the words; without one (null) a fixed preference reads them.
std::u16string DecodeText(std::u16string_view text, const ReplacementTable& table,
                          const WordIndex* index);

}  // namespace lettermorph
