#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lettermorph {

// UTF-8 to UTF-16 and back, in-house, so that nothing needs a library for it. Malformed
// bytes become U+FFFD one at a time; an unpaired surrogate, which UTF-8 cannot carry, is
// written as "?".
std::u16string Utf16FromUtf8(std::string_view bytes);

// Appends the UTF-8 form of `text` to `out`; false when an unpaired surrogate was replaced.
bool AppendUtf8(std::u16string_view text, std::string& out);

// The characters in `bytes`: every byte but those that continue a sequence, malformed or not.
std::size_t CountUtf8Characters(std::string_view bytes);

}  // namespace lettermorph
