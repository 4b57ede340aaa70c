#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>

#include "decode/utf8_stream_decoder.h"
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

std::string DecodeInPieces(const std::string& text, std::initializer_list<std::size_t> sizes,
                           const ReplacementTable& table, const WordIndex* index) {
  Utf8StreamDecoder decoder(table, index);
  StringSink sink;
  std::size_t at = 0;
  for (auto size = sizes.begin(); at < text.size(); at += *size) {
    size = std::next(size) != sizes.end() ? size : sizes.begin();
    EXPECT_TRUE(decoder.Decode(std::string_view(text).substr(at, *size), sink));
  }
  EXPECT_TRUE(decoder.Finish(sink));
  return sink.text;
}

// A large input is cut into tokens and its words read on a second thread, a piece ahead of
// the one being written, with the words left in the word cache. It reads as the same input in
// small pieces does, read on one thread, however the pieces fall and though more distinct
// words than the cache holds turn its generations over while a piece waits to be written.
TEST(DecoderLimits, LargeInputReadsAsSmallPiecesDo) {
  const ReplacementTable table;
  const WordList dictionary = {u"мои", u"йод", u"сел", u"будет", u"мост"};
  const char* const known[] = {"mou", "uog", "ceJI", "6ygeT", "MocT"};
  const char* const syllables[] = {"ko", "Ma", "pe", "Tu", "JIa", "6e", "3o", "gu"};
  const char* const between[] = {" ", ", ", ". ", "\n", " A. ", " 1999 ", "/", " no "};
  std::string text;
  for (int i = 0; i < 40000; ++i) {
    for (int rest = i + 4096; rest > 0; rest /= 8) {
      text += syllables[rest % 8];
    }
    text += between[i * 7 % 8];
    text += known[i % 5];
    text += between[i * 3 % 8];
  }
  const WordIndex* index = dictionary.For(table);
  const std::string small = DecodeInPieces(text, {1000}, table, index);
  EXPECT_EQ(DecodeInPieces(text, {text.size()}, table, index), small);
  EXPECT_EQ(DecodeInPieces(text, {70001, 13, 300000, 65536, 5}, table, index), small);
  EXPECT_NE(small.find("\nмои no 3okokokoMa. Йод. gukokokoMa, сел 1999 koMakokoMa будет "),
            small.npos);
}

}  // namespace
}  // namespace lettermorph
