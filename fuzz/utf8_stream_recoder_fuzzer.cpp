// The streaming UTF-8 recoder of lettermorph-cli, on every instruction set path the processor
// runs, against what must agree with it: a byte-at-a-time reference, itself fed the same text
// in random pieces, and, for well-formed UTF-8, the window's path through UTF-16 and RecodeText.
// The program's UTF-8 reader is checked on the same bytes against the reference reader.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzzed_table.h"
#include "piece_sizes.h"
#include "recode/recode_text.h"
#include "reference_text.h"
#include "require.h"
#include "stream/utf8_stream_recoder.h"
#include "text/byte_sink.h"
#include "text/utf8.h"

namespace lettermorph::fuzz {
namespace {

constexpr std::size_t kMaxText = 16 * 1024;

// What each code point of U+0400..U+047F becomes in UTF-8: the replacement of the slot whose
// letter it is, or nothing when it is no letter.
using PairReplacements = std::array<std::optional<std::string>, 0x80>;
PairReplacements ReplacementsOf(const ReplacementTable& table) {
  PairReplacements replacements;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const char16_t letter = *table.LetterAt(slot);
    Require(letter >= 0x400 && letter < 0x480,
            "every letter is a two-byte sequence D0 xx or D1 xx");
    replacements[letter - 0x400] = EncodeUtf8Reference(*table.ReplacementAt(slot));
  }
  return replacements;
}

// A byte at a time: a D0 or D1 followed by a continuation byte is a code point of
// U+0400..U+047F, replaced when it is a table letter; every other byte is copied, malformed
// ones included.
std::string RecodeByBytes(const ReplacementTable& table, std::string_view text) {
  const PairReplacements replacements = ReplacementsOf(table);
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
    if ((lead == 0xD0 || lead == 0xD1) && next >= 0x80 && next <= 0xBF) {
      const unsigned code = ((lead & 0x1Fu) << 6) | (next & 0x3Fu);
      if (const std::optional<std::string>& replacement = replacements[code - 0x400]) {
        out += *replacement;
        ++i;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

bool SurrogatesPairedInEverySlot(const ReplacementTable& table) {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (!SurrogatesPaired(*table.ReplacementAt(slot))) {
      return false;
    }
  }
  return true;
}

std::string RecodeInPieces(const ReplacementTable& table, Utf8StreamRecoder::Path path,
                           std::string_view text, PieceSizes* sizes) {
  Utf8StreamRecoder recoder(table, path);
  StringSink sink;
  while (!text.empty()) {
    // Each piece in a heap buffer of its own size, so that AddressSanitizer reports a read of
    // even one byte past it, as the vector paths read ahead.
    const std::size_t size = sizes ? std::min(sizes->Next(), text.size()) : text.size();
    const std::unique_ptr<char[]> piece(new char[size]);
    std::copy_n(text.data(), size, piece.get());
    Require(recoder.Recode({piece.get(), size}, sink),
            "Recode succeeds into a sink that never fails");
    text.remove_prefix(size);
  }
  Require(recoder.Finish(sink), "Finish succeeds into a sink that never fails");
  return sink.text;
}

void RequireOfPath(bool holds, std::string_view what, Utf8StreamRecoder::Path path) {
  if (!holds) {
    const std::string_view name = Utf8StreamRecoder::PathName(path);
    std::fprintf(stderr, "on the %.*s path\n", static_cast<int>(name.size()), name.data());
    Require(false, what);
  }
}

// The rest of the input, now and then repeated so that a short input can make more output
// than the recoder buffers; the cap keeps each run quick.
std::string ConsumeText(FuzzedDataProvider& data) {
  const int copies =
      data.ConsumeIntegralInRange(0, 15) == 0 ? data.ConsumeIntegralInRange(2, 200) : 1;
  const std::string once = data.ConsumeRemainingBytesAsString();
  std::string text;
  for (int i = 0; i < copies && text.size() < kMaxText; ++i) {
    text += once;
  }
  return text;
}

// Every path the processor can run must give the same bytes.
void CheckRecoder(const ReplacementTable& table, std::string_view text, std::uint32_t cutSeed) {
  static const std::vector<Utf8StreamRecoder::Path> kPaths = Utf8StreamRecoder::SupportedPaths();
  const std::string expected = RecodeByBytes(table, text);
  for (const Utf8StreamRecoder::Path path : kPaths) {
    PieceSizes sizes(cutSeed);
    RequireOfPath(RecodeInPieces(table, path, text, nullptr) == expected,
                  "the whole text recodes as the byte-at-a-time reference does", path);
    RequireOfPath(RecodeInPieces(table, path, text, &sizes) == expected,
                  "the text in random pieces recodes as the whole text does", path);
  }

  // The recoder writes each replacement's UTF-8 on its own, so a lone surrogate becomes "?"
  // even where the UTF-16 text would pair it with one from the next letter's replacement.
  if (IsWellFormedUtf8(text) && SurrogatesPairedInEverySlot(table)) {
    std::string viaUtf16;
    AppendUtf8(RecodeText(Utf16FromUtf8(text), table), viaUtf16);
    Require(viaUtf16 == expected, "well-formed UTF-8 recodes as its UTF-16 form does");
  }
}

}  // namespace
}  // namespace lettermorph::fuzz

// The log says which paths this run checks, as that depends on the processor.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::fprintf(stderr, "recoder paths:");
  for (const lettermorph::Utf8StreamRecoder::Path path :
       lettermorph::Utf8StreamRecoder::SupportedPaths()) {
    const std::string_view name = lettermorph::Utf8StreamRecoder::PathName(path);
    std::fprintf(stderr, " %.*s", static_cast<int>(name.size()), name.data());
  }
  std::fprintf(stderr, "\n");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace lettermorph;
  FuzzedDataProvider data(bytes, size);
  ReplacementTable table;
  for (int edits = data.ConsumeIntegralInRange(0, 12); edits > 0; --edits) {
    fuzz::ConsumeTableEdit(data, table);
  }
  const auto cutSeed = data.ConsumeIntegral<std::uint32_t>();
  const std::string text = fuzz::ConsumeText(data);
  fuzz::CheckRecoder(table, text, cutSeed);
  fuzz::Require(Utf16FromUtf8(text) == fuzz::Utf16FromUtf8Reference(text),
                "UTF-8 reads as the reference reads it, one U+FFFD for each malformed byte");
  return 0;
}
