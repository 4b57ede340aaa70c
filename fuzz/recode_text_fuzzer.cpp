// RecodeText, RecodedLength and RecodeTextInto against the plain recoding pass, which compares
// every character with all 66 slots, while the table changes between recodings as it does
// under the settings window.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "fuzzed_table.h"
#include "recode/recode_text.h"
#include "require.h"

namespace lettermorph::fuzz {
namespace {

// Every slot whose letter is the character adds its replacement; a character no slot matched
// is copied.
std::u16string RecodeBySlots(std::u16string_view text, const ReplacementTable& table) {
  std::u16string out;
  for (char16_t c : text) {
    bool found = false;
    for (int slot = 0; slot < kSlotCount; ++slot) {
      if (*table.LetterAt(slot) == c) {
        out += *table.ReplacementAt(slot);
        found = true;
      }
    }
    if (!found) {
      out += c;
    }
  }
  return out;
}

void CheckRecoding(std::u16string_view text, const ReplacementTable& table) {
  const std::u16string expected = RecodeBySlots(text, table);
  Require(RecodeText(text, table) == expected, "RecodeText recodes as the plain pass does");

  const std::size_t length = RecodedLength(text, table);
  Require(length == expected.size(), "RecodedLength is the length of the plain pass's output");
  // A buffer of exactly that size on the heap, so that AddressSanitizer reports a write of
  // even one unit past its end. Filled first, so that a unit left unwritten shows as well.
  const std::unique_ptr<char16_t[]> buffer(new char16_t[length]);
  std::fill_n(buffer.get(), length, u'\uFFFF');
  RecodeTextInto(text, table, {buffer.get(), length});
  Require(std::u16string_view(buffer.get(), length) == expected,
          "RecodeTextInto fills the buffer as the plain pass recodes");
}

}  // namespace
}  // namespace lettermorph::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace lettermorph;
  FuzzedDataProvider data(bytes, size);
  ReplacementTable table;
  while (data.remaining_bytes() > 0) {
    if (data.ConsumeBool()) {
      fuzz::ConsumeTableEdit(data, table);
      continue;
    }
    std::u16string text;
    for (int n = data.ConsumeIntegralInRange(0, 200); n > 0; --n) {
      text += fuzz::ConsumeUnit(data);
    }
    fuzz::CheckRecoding(text, table);
  }
  return 0;
}
