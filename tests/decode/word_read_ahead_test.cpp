#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "decode/utf8_stream_decoder.h"
#include "decode/word_index.h"
#include "decode/word_index_builder.h"
#include "recode/recode_text.h"
#include "recode/replacement_table.h"
#include "text/utf8.h"

namespace lettermorph {
namespace {

std::string Utf8(std::u16string_view text) {
  std::string bytes;
  AppendUtf8(text, bytes);
  return bytes;
}

// The forms of the frequency list the program ships, thousands of distinct real words.
std::vector<std::string> ListedForms() {
  std::ifstream list(LETTERMORPH_WORD_FREQUENCIES);
  std::vector<std::string> forms;
  for (std::string line; std::getline(list, line);) {
    if (!line.empty() && line[0] != '#') {
      forms.push_back(line.substr(0, line.find('\t')));
    }
  }
  return forms;
}

// Sentences of listed words in an order that repeats none of its steps for long, in lines of
// a few sentences: about 200 KiB, most words met once or twice.
std::string RussianText(const std::vector<std::string>& forms) {
  std::string text;
  std::uint32_t state = 12345;
  for (int sentence = 0; text.size() < 200 * 1024; ++sentence) {
    const int words = 4 + sentence % 9;
    for (int i = 0; i < words; ++i) {
      state = state * 1664525u + 1013904223u;
      std::string word = forms[(state >> 8) % forms.size()];
      if (i == 0) {
        std::u16string wide = Utf16FromUtf8(word);
        wide[0] = wide[0] >= u'а' && wide[0] <= u'я' ? wide[0] - 32 : wide[0];
        word = Utf8(wide);
      }
      text += (i == 0 ? "" : " ") + word;
    }
    text += sentence % 4 == 3 ? ".\n" : ". ";
  }
  return text;
}

// The text decoded twice by one decoder, as two texts, in pieces of `pieceSize` bytes.
std::string Decoded(const std::string& text, const ReplacementTable& table, const WordIndex* index,
                    std::size_t pieceSize) {
  Utf8StreamDecoder decoder(table, index);
  StringSink sink;
  for (int pass = 0; pass < 2; ++pass) {
    for (std::size_t at = 0; at < text.size(); at += pieceSize) {
      EXPECT_TRUE(decoder.Decode(std::string_view(text).substr(at, pieceSize), sink));
    }
    EXPECT_TRUE(decoder.Finish(sink));
  }
  return sink.text;
}

// Where `actual` first differs from `expected`, with a few bytes around, for a failure's message.
std::string FirstDifference(const std::string& actual, const std::string& expected) {
  std::size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) {
    ++at;
  }
  const std::size_t from = at < 40 ? 0 : at - 40;
  return "at byte " + std::to_string(at) + ": \"" + actual.substr(from, 80) + "\" instead of \"" +
         expected.substr(from, 80) + "\"";
}

// Words decoded ahead on a second thread, for a long piece, are the words the decoder itself
// gives in pieces too short to share, wherever the long piece cuts a word: under both tables,
// and for a second text that the decoder starts after Finish().
TEST(WordReadAhead, DecodesAsPiecesTooShortToShare) {
  if (std::thread::hardware_concurrency() < 2) {
    GTEST_SKIP() << "words are decoded ahead only with a second processor";
  }
  const std::vector<std::string> forms = ListedForms();
  ASSERT_GT(forms.size(), 10000u);
  WordIndexBuilder builder;
  for (const std::string& form : forms) {
    builder.AddListedForm(form, 1);
  }
  const std::string russian = RussianText(forms);
  for (const bool reset : {false, true}) {
    ReplacementTable table;
    if (reset) {
      table.ApplyResetDefaults();
    }
    const std::string image = builder.Build(table, "test");
    const auto index = WordIndex::Open(std::as_bytes(std::span(image)), table, "test");
    ASSERT_TRUE(index);
    const std::string lookAlike = Utf8(RecodeText(Utf16FromUtf8(russian), table));
    const std::string expected = Decoded(lookAlike, table, &*index, 1000);
    for (const std::size_t size : {lookAlike.size(), std::size_t{100'003}, std::size_t{40'000}}) {
      const std::string decoded = Decoded(lookAlike, table, &*index, size);
      EXPECT_TRUE(decoded == expected) << (reset ? "reset" : "design") << ", pieces of " << size
                                       << " bytes, " << FirstDifference(decoded, expected);
    }
  }
}

}  // namespace
}  // namespace lettermorph
