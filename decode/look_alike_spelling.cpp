#include "look_alike_spelling.h"

namespace lettermorph {

LookAlikeSpelling::LookAlikeSpelling(const std::array<std::string, kSlotCount>& replacements)
    : exact_(replacements) {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    for (const char c : exact_[slot]) {
      folded_[slot] += FoldAscii(c);
    }
  }
}

void LookAlikeSpelling::AppendFolded(std::span<const std::uint8_t> slots, std::string& out) const {
  for (const std::uint8_t slot : slots) {
    out += folded_[slot];
  }
}

}  // namespace lettermorph
