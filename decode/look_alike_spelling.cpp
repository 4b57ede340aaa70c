#include "look_alike_spelling.h"

#include <cstring>

namespace lettermorph {

LookAlikeSpelling::LookAlikeSpelling(const std::array<std::string, kSlotCount>& replacements)
    : exact_(replacements) {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    for (const char c : exact_[slot]) {
      folded_[slot] += FoldAscii(c);
    }
    lengths_[slot] = exact_[slot].size();
    shortPieces_ = shortPieces_ && lengths_[slot] <= kPieceBytes;
    if (shortPieces_) {
      char padded[kPieceBytes] = {};
      std::memcpy(padded, exact_[slot].data(), lengths_[slot]);
      exactPieces_[slot] = PieceAt(padded, lengths_[slot]);
      std::memcpy(padded, folded_[slot].data(), lengths_[slot]);
      foldedPieces_[slot] = PieceAt(padded, lengths_[slot]);
    }
  }
}

void LookAlikeSpelling::AppendFolded(std::span<const std::uint8_t> slots, std::string& out) const {
  for (const std::uint8_t slot : slots) {
    out += folded_[slot];
  }
}

}  // namespace lettermorph
