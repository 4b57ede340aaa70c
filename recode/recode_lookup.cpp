#include "recode/recode_lookup.h"

#include <algorithm>

#include "recode/slot_letters.h"

namespace lettermorph {

RecodeLookup::RecodeLookup() {
  for (char16_t letter : kSlotLetters) {
    entries_[letter - kBlockStart + 1].passMask = 0;
  }
}

void RecodeLookup::Set(int slot, std::u16string_view replacement) {
  Entry& entry = entries_[kSlotLetters[slot] - kBlockStart + 1];
  entry.units = {};
  std::copy_n(replacement.begin(), std::min(replacement.size(), kInlineUnits), entry.units.begin());
  entry.length = replacement.size();
  entry.text = replacement.data();
}

}  // namespace lettermorph
