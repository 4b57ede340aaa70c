#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "engine/replacement_table.h"

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
