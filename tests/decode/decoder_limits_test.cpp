#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "decode/candidate_lattice.h"
#include "decode/utf8_stream_decoder.h"
#include "decode/word_decoder.h"
#include "word_list.h"

namespace lettermorph {
namespace {

std::string Repeated(const std::string& text, int times) {
  std::string all;
  for (int i = 0; i < times; ++i) {
    all += text;
  }
  return all;
}

// Under the design set "u" reads as "и" or "й", so a run of n of them has 2^n readings. 2^10
// are all kept; past that the rest are not explored, so that even the longest token, with
// 2^256 readings, takes a moment.
TEST(DecoderLimits, ReadingsOfOneToken) {
  const LookAlikeIndex index{ReplacementTable()};
  const std::pair<std::size_t, std::size_t> cases[] = {
      {9, 512}, {10, 1024}, {11, 1024}, {256, 1024}};
  for (const auto& [length, readings] : cases) {
    const std::u16string token(length, u'u');
    EXPECT_EQ(CandidateLattice(index, token).Candidates().size(), readings) << length;
  }
}

// The dictionary is asked at most 400 questions for a token, two for each reading, with and
// without a vanished letter put back: a reading ranked past them is never found. "йййййййй"
// is the least likely of the 256 readings of "uuuuuuuu".
TEST(DecoderLimits, QuestionsToTheDictionary) {
  const ReplacementTable table;
  const WordList last = {u"йййййййй"};
  EXPECT_EQ(WordDecoder(table, &last).Decode("uuuuuuuu").kind, DecodedWord::Kind::Foreign);
  EXPECT_LE(last.lookups, 400);

  const WordList first = {u"ииииииии"};
  const DecodedWord word = WordDecoder(table, &first).Decode("uuuuuuuu");
  EXPECT_EQ(word.inSentence, "ииииииии");
  EXPECT_EQ(first.lookups, 1);
}

// A run of words that may be English with no neighbour to settle them is held back only so
// far: at most 64 pieces, or 4096 bytes of text and decoded text, before it is settled as if
// the text ended there. The settled text is the same as when all of it waits for the end.
TEST(DecoderLimits, UndecidedWordsHeldBack) {
  const ReplacementTable table;
  const struct {
    std::string word, first, rest;
    std::size_t mostHeld;
  } cases[] = {
      {"no", "По", "по", 64 * 4},  // 64 pieces, none longer than "по"
      {std::string(200, 'n'), "П" + Repeated("п", 199), Repeated("п", 200), 4096},
  };
  for (const auto& c : cases) {
    Utf8StreamDecoder decoder(table, nullptr);
    StringSink sink;
    std::size_t heldBack = 0;
    for (std::size_t words = 1; words <= 1000; ++words) {
      ASSERT_TRUE(decoder.Decode(c.word + " ", sink));
      heldBack = std::max(heldBack, words * (c.rest.size() + 1) - sink.text.size());
    }
    ASSERT_TRUE(decoder.Finish(sink));
    EXPECT_LE(heldBack, c.mostHeld) << c.word;
    EXPECT_EQ(sink.text, c.first + " " + Repeated(c.rest + " ", 999)) << c.word;
  }
}

}  // namespace
}  // namespace lettermorph
