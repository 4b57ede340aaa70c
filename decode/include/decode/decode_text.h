#pragma once

#include <string>
#include <string_view>

#include "decode/dictionary.h"
#include "recode/replacement_table.h"

namespace lettermorph {

// Turns look-alike text made with `table` back into Russian, as Utf8StreamDecoder does for a
// stream: words that read as Russian are decoded, everything else is copied. `dictionary`
// chooses among the readings of a word; without one (null) a fixed preference does.
std::u16string DecodeText(std::u16string_view text, const ReplacementTable& table,
                          const Dictionary* dictionary);

}  // namespace lettermorph
