#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace lettermorph {

// What the recoding pass writes for each UTF-16 code unit, found in constant time. All 66
// table letters lie in the block U+0400..U+045F, so one small array covers them and every
// other code unit is copied through. The table keeps it current on every change.
class RecodeLookup {
 public:
  // Replacements up to this length are stored inline and written as one fixed-size copy.
  static constexpr std::size_t kInlineUnits = 4;

  struct Entry {
    std::array<char16_t, kInlineUnits> units{};  // the replacement, zero-padded
    char16_t passMask = 0xFFFF;  // all ones where the input character itself is written
    std::size_t length = 1;
    const char16_t* text = nullptr;  // the whole replacement, for one longer than units
  };

  RecodeLookup();

  // Points the slot's letter at `replacement`, which must stay alive and unchanged until the
  // next call for that slot.
  void Set(int slot, std::u16string_view replacement);

  const Entry& For(char16_t c) const {
    const unsigned offset = static_cast<unsigned>(c) - kBlockStart;
    return entries_[offset < kBlockSize ? offset + 1 : 0];
  }

 private:
  static constexpr unsigned kBlockStart = 0x0400;
  static constexpr unsigned kBlockSize = 0x60;

  // Entry 0 serves every code unit outside the block; entry i + 1 serves U+0400 + i.
  std::array<Entry, kBlockSize + 1> entries_{};
};

}  // namespace lettermorph
