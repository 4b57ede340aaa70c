#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <array>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "../support/unprivileged.h"
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

// Capitals for the small Russian letters of `word`, all of them or the first.
std::string Capitalised(const std::string& word, bool all) {
  std::u16string wide = Utf16FromUtf8(word);
  for (std::size_t i = 0; i < (all ? wide.size() : 1); ++i) {
    char16_t& c = wide[i];
    c = c >= u'а' && c <= u'я' ? c - 32 : c == u'ё' ? u'Ё' : c;
  }
  return Utf8(wide);
}

// Sentences of listed words in an order that repeats none of its steps for long, some of them
// cut short, in capitals, quoted, or followed by a comma or a number, in lines of a few
// sentences: about 200 KiB, most words met once or twice.
std::string RussianText(const std::vector<std::string>& forms) {
  std::string text;
  std::uint32_t state = 12345;
  for (int sentence = 0; text.size() < 200 * 1024; ++sentence) {
    const int words = 4 + sentence % 9;
    for (int i = 0; i < words; ++i) {
      state = state * 1664525u + 1013904223u;
      const std::uint32_t pick = state >> 8;
      std::string word = forms[pick % forms.size()];
      // Cut short, as abbreviations are, a word no index knows is read letter by letter.
      if (pick % 19 == 0) {
        word = Utf8(Utf16FromUtf8(word).substr(0, 4));
      }
      if (i == 0 || pick % 11 == 0) {
        word = Capitalised(word, pick % 11 == 0);
      }
      if (pick % 13 == 0) {
        word = "«" + word + "»";
      } else if (pick % 7 == 0) {
        word += pick % 2 ? std::string(",") : std::string(" ").append(std::to_string(pick % 100));
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

// Real text for each table, and an index of its words.
class WordReadAhead : public ::testing::Test {
 protected:
  struct Set {
    ReplacementTable table;
    std::string image;
    std::optional<WordIndex> index;
    std::string lookAlike;
  };

  void SetUp() override {
    const std::vector<std::string> forms = ListedForms();
    ASSERT_GT(forms.size(), 10000u);
    WordIndexBuilder builder;
    for (const std::string& form : forms) {
      builder.AddListedForm(form, 1);
    }
    const std::string russian = RussianText(forms);
    sets_[1].table.ApplyResetDefaults();
    for (Set& set : sets_) {
      set.image = builder.Build(set.table, "test");
      set.index = WordIndex::Open(std::as_bytes(std::span(set.image)), set.table, "test");
      ASSERT_TRUE(set.index);
      set.lookAlike = Utf8(RecodeText(Utf16FromUtf8(russian), set.table));
    }
  }

  std::string Decoded(const Set& set, std::size_t pieceSize) const {
    return lettermorph::Decoded(set.lookAlike, set.table, &*set.index, pieceSize);
  }

  std::array<Set, 2> sets_;  // design, reset
};

// Words decoded ahead on a second thread, for a long piece, are the words the decoder itself
// gives in pieces too short to share, wherever the long piece cuts a word: under both tables,
// and for a second text that the decoder starts after Finish().
TEST_F(WordReadAhead, DecodesAsPiecesTooShortToShare) {
  if (std::thread::hardware_concurrency() < 2) {
    GTEST_SKIP() << "words are decoded ahead only with a second processor";
  }
  for (const Set& set : sets_) {
    const std::string expected = Decoded(set, 1000);
    for (const std::size_t size :
         {set.lookAlike.size(), std::size_t{100'003}, std::size_t{40'000}}) {
      const std::string decoded = Decoded(set, size);
      EXPECT_TRUE(decoded == expected) << (&set == &sets_[1] ? "reset" : "design") << ", pieces of "
                                       << size << " bytes, " << FirstDifference(decoded, expected);
    }
  }
}

#ifndef _WIN32
// Where the system gives no second thread, as under a limit on a user's processes, the decoder
// decodes a long piece alone, and the same.
TEST_F(WordReadAhead, DecodesAloneWhereNoThreadIsGiven) {
  const Set& set = sets_[0];
  const std::string expected = Decoded(set, 1000);
  const std::optional<int> status = RunUnprivileged([&] {
    rlimit before{};
    getrlimit(RLIMIT_NPROC, &before);
    const rlimit none{0, before.rlim_max};
    setrlimit(RLIMIT_NPROC, &none);
    const bool same = Decoded(set, set.lookAlike.size()) == expected;
    setrlimit(RLIMIT_NPROC, &before);
    return same ? 0 : 1;
  });
  EXPECT_EQ(status, 0);
}
#endif

}  // namespace
}  // namespace lettermorph
