#pragma once

#include <cstdint>
#include <vector>

namespace lettermorph {

// What 64 bytes of text are, one bit a byte (bit i for the byte at i): the tokenizer reads most
// of look-alike text, short words of letters and digits between spaces, from these masks
// without looking at the bytes one by one.
struct ByteMasks {
  std::uint64_t letters;        // ASCII letters
  std::uint64_t digits;         // ASCII digits
  std::uint64_t spaces;         // ' ' and '\t' to '\r'
  std::uint64_t beyond;         // bytes beyond ASCII
  std::uint64_t leads;          // the first bytes of characters from U+0400 to U+04FF
  std::uint64_t continuations;  // 0x80 to 0xBF

  // Both bytes of each character from U+0400 to U+04FF, all of them Cyrillic letters; a lead
  // byte whose continuation lies past the masks is left out.
  std::uint64_t Cyrillic() const {
    const std::uint64_t pairs = leads & continuations >> 1;
    return pairs | pairs << 1;
  }
};

// The ways of reading the masks: with eight bytes in a 64-bit word, or with vector
// instructions of 16, 32 or 64 bytes, which most processors have and the widest of which is the
// quickest.
enum class MaskPath { kPortable, kSse2, kAvx2, kAvx512 };

// The paths that this build and processor have, the widest last.
std::vector<MaskPath> SupportedMaskPaths();

// Reads 64 bytes from `text`.
using MasksOf64Function = ByteMasks (*)(const char* text);
MasksOf64Function MasksOf64For(MaskPath path);

}  // namespace lettermorph
