#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "decode/look_alike_index.h"

namespace lettermorph {

// A token read letter by letter: the letters in small form, and for each the cases (LetterCase
// bits) that its look-alike allows.
struct LetterReading {
  std::u16string small;
  std::vector<std::uint8_t> cases;
};

// The likeliest way to cut `token` into replacements and read each as one of its letters, by
// letter preference alone, for a token that is no known word; nothing when it cannot be cut
// so. Letters that vanished are not guessed. Linear in the token's length, however many
// readings it has.
std::optional<LetterReading> ReadByPreference(const LookAlikeIndex& index,
                                              std::u16string_view token);

}  // namespace lettermorph
