#include "engine/utf8_stream_recoder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "engine/recode_text.h"
#include "engine/utf8.h"

namespace lettermorph {
namespace {

struct StringSink final : ByteSink {
  bool Write(std::string_view bytes) override {
    text.append(bytes);
    return true;
  }
  std::string text;
};

std::string Utf8(std::u16string_view text) {
  std::string bytes;
  AppendUtf8(text, bytes);
  return bytes;
}

// Feeds `input` to a new recoder in pieces of `piece` bytes.
std::string Recode(const ReplacementTable& table, std::string_view input, std::size_t piece) {
  Utf8StreamRecoder recoder(table);
  StringSink sink;
  for (std::size_t at = 0; at < input.size(); at += piece) {
    EXPECT_TRUE(recoder.Recode(input.substr(at, piece), sink));
  }
  EXPECT_TRUE(recoder.Finish(sink));
  return sink.text;
}

// Random texts of Russian and other Cyrillic, Latin, digits, punctuation, line breaks and
// characters of up to four bytes, recoded in pieces of many sizes, equal the UTF-16 pass.
// The tables: both built-in sets, and one with replacements that are empty, Cyrillic,
// supplementary, longer than the fast path holds inline, and longer than the output buffer.
TEST(Utf8StreamRecoder, MatchesRecodeTextInPiecesOfAnySize) {
  ReplacementTable design, reset, edited;
  reset.ApplyResetDefaults();
  ASSERT_TRUE(edited.SetReplacement(7, u"ЖЖ\U0001F41E"));
  ASSERT_TRUE(edited.SetReplacement(38, u""));
  ASSERT_TRUE(edited.SetReplacement(48, u"eight+chars"));
  ASSERT_TRUE(edited.SetReplacement(32, std::u16string(300'000, u'я')));
  const std::u16string pool =
      std::u16string(kSlotLetters) + u"ЀЂЄІЇЎѐђєіїўѠѿ abcXYZ0189 .,;!?«»—\n\r\téß€\uFFFD\U0001F600";
  std::mt19937 random(7);
  for (const ReplacementTable* table : {&design, &reset, &edited}) {
    for (int round = 0; round < 40; ++round) {
      std::u16string text;
      const std::size_t length = random() % 3000;
      while (text.size() < length) {
        const std::size_t at = random() % (pool.size() - 1);
        text += pool.substr(at, pool[at] >= 0xD800 && pool[at] <= 0xDBFF ? 2 : 1);
      }
      const std::string input = Utf8(text);
      const std::string expected = Utf8(RecodeText(text, *table));
      for (std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{79}, std::size_t{81},
                                std::size_t{1000} + random() % 1000}) {
        ASSERT_EQ(Recode(*table, input, piece), expected) << "round " << round << " " << piece;
      }
    }
  }
}

// Replacements of 100 to 600 bytes, for every letter of a long text: the output buffer fills
// up again and again, and at each time it is nearly full a write past its end would show
// under AddressSanitizer.
TEST(Utf8StreamRecoder, LongReplacementsFillTheBufferExactly) {
  ReplacementTable table;
  std::vector<std::string> replacements;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const std::string value(100 + slot * 7 + slot % 3 * 10, static_cast<char>('a' + slot % 26));
    ASSERT_TRUE(table.SetReplacement(slot, std::u16string(value.begin(), value.end())));
    replacements.push_back(value);
  }
  std::mt19937 random(11);
  std::u16string text;
  std::string expected;
  for (int i = 0; i < 100'000; ++i) {
    const std::size_t slot = random() % kSlotCount;
    text += kSlotLetters[slot];
    expected += replacements[slot];
  }
  const std::string input = Utf8(text);
  EXPECT_EQ(Recode(table, input, input.size()), expected);
  EXPECT_EQ(Recode(table, input, 65536), expected);
}

// Every letter split between two pieces, with an empty piece between, at every offset in and
// around the 64-byte blocks of the fast path.
TEST(Utf8StreamRecoder, LetterSplitAnywhereIsRecodedWhole) {
  ReplacementTable table;
  table.ApplyResetDefaults();
  std::u16string text = u"ab ";
  for (char16_t letter : kSlotLetters) {
    text += letter;
    text += text.size() % 3 ? u"" : u" ";
  }
  const std::string input = Utf8(text + text);
  const std::string expected = Utf8(RecodeText(text + text, table));
  for (std::size_t split = 0; split <= input.size(); ++split) {
    Utf8StreamRecoder recoder(table);
    StringSink sink;
    recoder.Recode(std::string_view(input).substr(0, split), sink);
    recoder.Recode({}, sink);
    recoder.Recode(std::string_view(input).substr(split), sink);
    recoder.Finish(sink);
    ASSERT_EQ(sink.text, expected) << "split at byte " << split;
  }
}

// Malformed UTF-8 passes byte for byte, alone and inside text long enough for the fast path.
TEST(Utf8StreamRecoder, MalformedBytesPassUnchanged) {
  ReplacementTable table;
  table.ApplyResetDefaults();
  const std::pair<std::string, std::string> cases[] = {
      {"ab\xD0", "ab\xD0"},              // lead byte at the end
      {"\xD0\xD0\x96", "\xD0>I<"},       // lead byte before a letter
      {"\x90\x96\xBF", "\x90\x96\xBF"},  // continuation bytes alone
      {"\xE2\x82\xF0\x9F\x98\xD1\x8F",
       "\xE2\x82\xF0\x9F\x98"
       "9I"},                                                     // cut-short sequences
      {std::string("\0\xD0\x90\0", 4), std::string("\0A\0", 3)},  // NUL bytes
      {"\xD0\x80\xD1\x96", "\xD0\x80\xD1\x96"},                   // other Cyrillic letters
  };
  const std::string padding(100, '.');
  for (const auto& [input, expected] : cases) {
    for (const std::string& around : {std::string(), padding}) {
      EXPECT_EQ(Recode(table, around + input + around, 1), around + expected + around);
      EXPECT_EQ(Recode(table, around + input + around, 4096), around + expected + around);
    }
  }
}

TEST(Utf8StreamRecoder, StopsWritingOnceTheSinkFails) {
  struct FailingSink final : ByteSink {
    bool Write(std::string_view) override { return ++writes == 1; }
    int writes = 0;
  } sink;
  Utf8StreamRecoder recoder{ReplacementTable()};
  EXPECT_FALSE(recoder.Recode(Utf8(std::u16string(400'000, u'ж')), sink));
  EXPECT_FALSE(recoder.Recode("more", sink));
  EXPECT_FALSE(recoder.Finish(sink));
  EXPECT_EQ(sink.writes, 2);
}

}  // namespace
}  // namespace lettermorph
