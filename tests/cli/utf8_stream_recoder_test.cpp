#include "cli/utf8_stream_recoder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "engine/recode_text.h"
#include "settings/utf8_code_page.h"

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
  Utf8CodePage().Encode(text, bytes);
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

enum class Table { Design, Reset, Edited };

// The edited table has replacements of every kind: empty, Cyrillic, a supplementary
// character, longer than the fast path holds inline, and longer than the output buffer.
void Fill(ReplacementTable& table, Table which) {
  if (which == Table::Reset) {
    table.ApplyResetDefaults();
  } else if (which == Table::Edited) {
    ASSERT_TRUE(table.SetReplacement(7, u"ЖЖ\U0001F41E"));
    ASSERT_TRUE(table.SetReplacement(38, u""));
    ASSERT_TRUE(table.SetReplacement(48, u"eight+chars"));
    ASSERT_TRUE(table.SetReplacement(32, std::u16string(300'000, u'я')));
  }
}

// Random texts drawn from Cyrillic (Russian and not), Latin, digits, punctuation, line breaks,
// and characters of two, three and four bytes, recoded in pieces of many sizes, must equal the
// UTF-16 recoding pass.
class StreamEquivalence : public testing::TestWithParam<Table> {};

TEST_P(StreamEquivalence, MatchesRecodeText) {
  ReplacementTable table;
  Fill(table, GetParam());
  const std::u16string pools[] = {
      std::u16string(kSlotLetters) + u"ЀЂЃЄІЇЎѐђєіїўѠѾѿ",
      u"abcxyzABCXYZ",
      u"0123456789",
      u" .,;:!?-()\"'«»—…",
      u"\n\r\t",
      u"éßø€™\uFFFD\U0001F600\U00010437\U0010FFFF",
  };
  std::mt19937 random(GetParam() == Table::Edited ? 1 : 7);
  for (int round = 0; round < 40; ++round) {
    std::u16string text;
    const int length = std::uniform_int_distribution(0, 3000)(random);
    while (static_cast<int>(text.size()) < length) {
      const std::u16string& pool = pools[random() % std::size(pools)];
      std::size_t at = random() % pool.size();
      at -= at > 0 && pool[at] >= 0xDC00 && pool[at] <= 0xDFFF;  // never half a pair
      text += pool.substr(at, pool[at] >= 0xD800 && pool[at] <= 0xDBFF ? 2 : 1);
    }
    const std::string input = Utf8(text);
    const std::string expected = Utf8(RecodeText(text, table));
    for (std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{79}, std::size_t{81},
                              std::size_t{1000} + random() % 1000, input.size() + 1}) {
      ASSERT_EQ(Recode(table, input, piece), expected) << "round " << round << " piece " << piece;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Tables, StreamEquivalence,
                         testing::Values(Table::Design, Table::Reset, Table::Edited));

// Every letter split between two pieces at every offset in and around the 64-byte blocks of
// the fast path, and a letter whose lead byte arrives alone before an empty piece.
TEST(StreamSplits, LetterSplitAnywhereIsRecodedWhole) {
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

struct Malformed {
  const char* name;
  std::string input;
  std::string expected;  // under ResetDefaults
};

void PrintTo(const Malformed& malformed, std::ostream* out) {
  *out << malformed.name;
}

class StreamMalformed : public testing::TestWithParam<Malformed> {};

// Malformed UTF-8 passes byte for byte, alone and in the middle of text long enough for the
// fast path, whole and a byte at a time.
TEST_P(StreamMalformed, PassesByteForByte) {
  ReplacementTable table;
  table.ApplyResetDefaults();
  const std::string padding(100, '.');
  for (const std::string& around : {std::string(), padding}) {
    const std::string input = around + GetParam().input + around;
    const std::string expected = around + GetParam().expected + around;
    EXPECT_EQ(Recode(table, input, input.size() + 1), expected);
    EXPECT_EQ(Recode(table, input, 1), expected);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, StreamMalformed,
    testing::Values(
        Malformed{"LeadAtTheEnd", "ab\xD0", "ab\xD0"},
        Malformed{"LeadBeforeAscii", "\xD1z\xD0\n", "\xD1z\xD0\n"},
        Malformed{"LeadBeforeLetter", "\xD0\xD0\x96", "\xD0>I<"},
        Malformed{"ContinuationsAlone", "\x90\x96\xBF", "\x90\x96\xBF"},
        Malformed{"Overlong", "\xC0\x80\xC1\xBF\xE0\x80\x80", "\xC0\x80\xC1\xBF\xE0\x80\x80"},
        Malformed{"CutShortBeforeLetter", "\xE2\x82\xF0\x9F\x98\xD1\x8F",
                  "\xE2\x82\xF0\x9F\x98"
                  "9I"},
        Malformed{"EncodedSurrogate", "\xED\xA0\x80", "\xED\xA0\x80"},
        Malformed{"NeverValid", "\xFF\xFE\xF8\x88", "\xFF\xFE\xF8\x88"},
        Malformed{"NulBytes", std::string("\0\xD0\x90\0", 4), std::string("\0A\0", 3)},
        Malformed{"OtherCyrillicPairs", "\xD0\x80\xD1\x96\xD1\x90", "\xD0\x80\xD1\x96\xD1\x90"}),
    [](const testing::TestParamInfo<Malformed>& info) { return std::string(info.param.name); });

// A sink that refuses its second write.
struct FailingSink final : ByteSink {
  bool Write(std::string_view) override { return ++writes == 1; }
  int writes = 0;
};

TEST(StreamFailures, StopWritingOnceTheSinkFails) {
  ReplacementTable table;
  Utf8StreamRecoder recoder(table);
  FailingSink sink;
  const std::string input = Utf8(std::u16string(400'000, u'ж'));
  EXPECT_FALSE(recoder.Recode(input, sink));
  EXPECT_FALSE(recoder.Recode("more", sink));
  EXPECT_FALSE(recoder.Finish(sink));
  EXPECT_EQ(sink.writes, 2);
}

}  // namespace
}  // namespace lettermorph
