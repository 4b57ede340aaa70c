#pragma once

// The one rule of recoding: each of the 66 table letters becomes its slot's current
// replacement, and everything else is copied unchanged. Two passes apply it and must agree,
// byte for byte once their text is in the same encoding: RecodeText here, over UTF-16, for the
// windows, and Utf8StreamRecoder in stream/, over UTF-8 as it arrives, for lettermorph-cli. A
// change to the rule is a change to both.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "recode/replacement_table.h"

namespace lettermorph {

// Replaces every table letter in `text` by its slot's current replacement and copies every
// other UTF-16 code unit unchanged. Replacements are written as they are and never scanned
// again, and a letter whose replacement is empty disappears. Works on texts of any length.
std::u16string RecodeText(std::u16string_view text, const ReplacementTable& table);

// The same pass for callers that own the output buffer, such as a window that recodes
// straight into its own string: measure, allocate, then fill exactly `out.size()` units.
std::size_t RecodedLength(std::u16string_view text, const ReplacementTable& table);
void RecodeTextInto(std::u16string_view text, const ReplacementTable& table,
                    std::span<char16_t> out);

}  // namespace lettermorph
