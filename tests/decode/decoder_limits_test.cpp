#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "decode/utf8_stream_decoder.h"

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

// What is copied comes out byte for byte, pieces of every length and an address far longer
// than what the output gathers before it is handed on, whether written at once or after waiting
// with a word that may be English ("no") for the English word after it.
TEST(DecoderLimits, CopiedPiecesOfEveryLength) {
  const ReplacementTable table;
  std::string text;
  for (std::size_t length = 1; length <= 40; ++length) {
    text += "no" + std::string(length, '%') + " have " + std::string(length, '%') + " ";
  }
  text += "https://example.com/" + std::string(300000, 'a') + " ";
  Utf8StreamDecoder decoder(table, nullptr);
  StringSink sink;
  ASSERT_TRUE(decoder.Decode(text, sink));
  ASSERT_TRUE(decoder.Finish(sink));
  EXPECT_EQ(sink.text, text);
}

// Text cut into pieces of a byte decodes as it does whole: the spaces that a run of them comes
// in are one part, and do not settle the word that waits before them ("no" after the English
// "have") before the Russian word after them is known.
TEST(DecoderLimits, PiecesOfOneByte) {
  const ReplacementTable table;
  const std::string text = "have no" + std::string(70, ' ') + "6ygeT";
  Utf8StreamDecoder decoder(table, nullptr);
  StringSink sink;
  for (const char c : text) {
    ASSERT_TRUE(decoder.Decode(std::string_view(&c, 1), sink));
  }
  ASSERT_TRUE(decoder.Finish(sink));
  EXPECT_EQ(sink.text, "have по" + std::string(70, ' ') + "будет");
}

// Only the end of the punctuation after a word tells how the next word stands, however long
// the punctuation is and however many pieces it comes in: here its full stop, before the
// closing brackets, ends the sentence, and the next word takes a capital.
TEST(DecoderLimits, EndOfLongPunctuation) {
  const ReplacementTable table;
  for (const std::size_t commas : {40, 5000}) {
    const std::string punctuation = std::string(commas, ',') + ".))))";
    const std::string text = "6ygeT" + punctuation + " 6ygeT";
    for (std::size_t piece = 1; piece <= 40; ++piece) {
      Utf8StreamDecoder decoder(table, nullptr);
      StringSink sink;
      for (std::size_t at = 0; at < text.size(); at += piece) {
        ASSERT_TRUE(decoder.Decode(std::string_view(text).substr(at, piece), sink));
      }
      ASSERT_TRUE(decoder.Finish(sink));
      EXPECT_EQ(sink.text, "Будет" + punctuation + " Будет") << commas << " " << piece;
    }
  }
}

}  // namespace
}  // namespace lettermorph
