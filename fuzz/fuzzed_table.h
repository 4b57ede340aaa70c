#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "recode/replacement_table.h"

// Tables and texts built from the fuzzer's bytes. Everything here is taken with
// ConsumeIntegral, which reads from the end of the input, so a harness can take the rest as
// its text from the front and a plain text file makes a useful seed.
namespace lettermorph::fuzz {

// One UTF-16 unit, weighted towards the places where the recoders decide something: ASCII,
// the Cyrillic block that holds every table letter, and surrogates.
inline char16_t ConsumeUnit(FuzzedDataProvider& data) {
  switch (data.ConsumeIntegralInRange(0, 3)) {
    case 0:
      return data.ConsumeIntegralInRange<char16_t>(0x00, 0x7F);
    case 1:
      return data.ConsumeIntegralInRange<char16_t>(0x0400, 0x047F);
    case 2:
      return data.ConsumeIntegralInRange<char16_t>(0xD800, 0xDFFF);
    default:
      return data.ConsumeIntegral<char16_t>();
  }
}

// A replacement of a kind that stresses the recoders: empty; a few units, around the lengths
// at which they stop copying a replacement in one fixed-size piece; Cyrillic, including the
// table's own letters, which must not be recoded again; or hundreds of units.
inline std::u16string ConsumeReplacement(FuzzedDataProvider& data) {
  std::u16string replacement;
  switch (data.ConsumeIntegralInRange(0, 3)) {
    case 0:
      break;
    case 1:
      for (int n = data.ConsumeIntegralInRange(1, 9); n > 0; --n) {
        replacement += ConsumeUnit(data);
      }
      break;
    case 2:
      for (int n = data.ConsumeIntegralInRange(1, 4); n > 0; --n) {
        replacement += data.ConsumeIntegralInRange<char16_t>(0x0400, 0x047F);
      }
      break;
    default: {
      const std::u16string pattern{ConsumeUnit(data), ConsumeUnit(data)};
      for (int n = data.ConsumeIntegralInRange(50, 300); n > 0; --n) {
        replacement += pattern;
      }
    }
  }
  return replacement;
}

// One change of the table, as the settings window makes them: a slot edited, or the Reset
// command.
inline void ConsumeTableEdit(FuzzedDataProvider& data, ReplacementTable& table) {
  if (data.ConsumeIntegralInRange(0, 15) == 0) {
    table.ApplyResetDefaults();
  } else {
    const int slot = data.ConsumeIntegralInRange(0, kSlotCount - 1);
    (void)table.SetReplacement(slot, ConsumeReplacement(data));
  }
}

}  // namespace lettermorph::fuzz
