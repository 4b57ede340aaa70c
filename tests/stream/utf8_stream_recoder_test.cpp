#include "stream/utf8_stream_recoder.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>

#include "../../fuzz/reference_text.h"
#include "recode/recode_text.h"

namespace lettermorph {
namespace {

using Path = Utf8StreamRecoder::Path;

// The UTF-8 form of a text, for feeding the recoder and writing what it must give, from the
// fuzz harnesses' own encoder: it shares no code with the program, so that a fault in the
// program's encoder cannot hide in the expected text as well.
constexpr auto Utf8 = fuzz::EncodeUtf8Reference;

// Feeds `input` to a new recoder on `path` in pieces of `piece` bytes.
std::string Recode(const ReplacementTable& table, std::string_view input, std::size_t piece,
                   Path path) {
  Utf8StreamRecoder recoder(table, path);
  StringSink sink;
  for (std::size_t at = 0; at < input.size(); at += piece) {
    EXPECT_TRUE(recoder.Recode(input.substr(at, piece), sink));
  }
  EXPECT_TRUE(recoder.Finish(sink));
  return sink.text;
}

// Replacements of every length from 0 to 8 bytes, around the four bytes that the vector path
// looks up and the seven a Piece holds, plus Cyrillic, supplementary and very long ones.
void EditForEveryLength(ReplacementTable& table) {
  const std::u16string lengths[] = {u"",      u"a",      u"ab",      u"abc",     u"abcd",
                                    u"abcde", u"abcdef", u"abcdefg", u"abcdefgh"};
  for (int slot = 0; slot < kSlotCount; ++slot) {
    ASSERT_TRUE(table.SetReplacement(slot, lengths[slot % 9]));
  }
  ASSERT_TRUE(table.SetReplacement(7, u"ЖЖ\U00020BB7"));
  ASSERT_TRUE(table.SetReplacement(32, std::u16string(140'000, u'я')));
  ASSERT_TRUE(table.SetReplacement(40, u"ю"));
}

class Utf8StreamRecoderPaths : public testing::TestWithParam<Path> {};

// Random texts of Russian and other Cyrillic, Latin, digits, punctuation, line breaks and
// characters of up to four bytes, with malformed bytes between two of them and a lead byte alone
// at the end, recoded in pieces of many sizes: the well-formed parts as the UTF-16 pass recodes
// them, the rest copied. One text in eight holds a run of Latin long enough to be written
// straight from the input.
TEST_P(Utf8StreamRecoderPaths, MatchesRecodeTextInPiecesOfAnySize) {
  // Continuation bytes alone, sequences cut short, NUL, bytes UTF-8 never uses, and a lead
  // byte before whatever follows: none is a table letter, each is copied as it is.
  const std::string malformed("\x90\x96\xBF\xE2\x82\xF0\x9F\x98\0\xFF\xFE\xC0\x80\xD0", 14);
  ReplacementTable design, edited;
  EditForEveryLength(edited);
  const std::u16string pool =
      std::u16string(kSlotLetters) + u"ЀЂЄІЇЎѐђєіїўѠѿ abcXYZ0189 .,;!?«»—\n\r\téß€\uFFFD\U0001F600";
  std::mt19937 random(7);
  for (const ReplacementTable* table : {&design, &edited}) {
    for (int round = 0; round < 40; ++round) {
      std::u16string parts[2];
      for (std::u16string& part : parts) {
        for (std::size_t length = random() % 800; part.size() < length;) {
          const std::size_t at = random() % (pool.size() - 1);
          part += pool.substr(at, pool[at] >= 0xD800 && pool[at] <= 0xDBFF ? 2 : 1);
        }
      }
      if (round % 8 == 7) {
        parts[1].insert(parts[1].size() / 2, std::u16string(20'000, u'x'));
      }
      const std::string input = Utf8(parts[0]) + malformed + Utf8(parts[1]) + "\xD0";
      const std::string expected = Utf8(RecodeText(parts[0], *table)) + malformed +
                                   Utf8(RecodeText(parts[1], *table)) + "\xD0";
      for (std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{79}, std::size_t{81},
                                std::size_t{1000} + random() % 1000, std::size_t{1} << 20}) {
        if (piece < 64 && input.size() > 10'000) {
          continue;  // the long runs take long in tiny pieces, and add nothing there
        }
        ASSERT_EQ(Recode(*table, input, piece, GetParam()), expected)
            << "round " << round << " " << piece;
      }
    }
  }
}

// Letters go through the buffer and long runs without them straight to the sink; either way
// the second write fails and is the last.
TEST_P(Utf8StreamRecoderPaths, StopsWritingOnceTheSinkFails) {
  struct FailingSink final : ByteSink {
    bool Write(std::string_view) override { return ++writes == 1; }
    int writes = 0;
  };
  const ReplacementTable table;
  for (const std::string& input :
       {Utf8(std::u16string(400'000, u'ж')), std::string(400'000, 'x')}) {
    FailingSink sink;
    Utf8StreamRecoder recoder(table, GetParam());
    recoder.Recode(input, sink);
    EXPECT_FALSE(recoder.Recode(input, sink));
    EXPECT_FALSE(recoder.Recode("more", sink));
    EXPECT_FALSE(recoder.Finish(sink));
    EXPECT_EQ(sink.writes, 2);
  }
}

INSTANTIATE_TEST_SUITE_P(Supported, Utf8StreamRecoderPaths,
                         testing::ValuesIn(Utf8StreamRecoder::SupportedPaths()),
                         [](const testing::TestParamInfo<Path>& info) {
                           return std::string(Utf8StreamRecoder::PathName(info.param));
                         });

// The scalar path runs everywhere, and a path the processor lacks is refused rather than run.
TEST(Utf8StreamRecoder, RefusesAPathThatIsNotSupported) {
  EXPECT_EQ(Utf8StreamRecoder::SupportedPaths().front(), Path::kScalar);
  const ReplacementTable table;
  EXPECT_EQ(Utf8StreamRecoder(table).ActivePath(), Utf8StreamRecoder::SupportedPaths().back());
  EXPECT_THROW(Utf8StreamRecoder(table, static_cast<Path>(99)), std::invalid_argument);
}

}  // namespace
}  // namespace lettermorph
