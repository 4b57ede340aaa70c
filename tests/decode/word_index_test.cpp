#include "decode/word_index.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decode/word_index_builder.h"
#include "recode/replacement_table.h"
#include "russian_letters.h"
#include "text/utf8.h"

namespace lettermorph {
namespace {

// Every word of up to six of the letters о к м х, whose look-alikes under the design set are
// o k m x in any case: thousands of forms in a small table, so that runs of slots wrap past
// its end and look-alikes share a tag. Each is found once under its look-alike, and a
// look-alike of no word finds nothing.
TEST(WordIndex, FindsEveryFormOnceAndNothingElse) {
  const std::u16string letters = u"окмх";
  const std::string looks = "okmx";
  std::vector<std::pair<std::u16string, std::string>> words;
  WordIndexBuilder builder;
  for (int length = 1; length <= 6; ++length) {
    for (int number = 0; number < 1 << (2 * length); ++number) {
      std::u16string word;
      std::string look;
      for (int at = 0; at < length; ++at) {
        word += letters[(number >> (2 * at)) & 3];
        look += looks[(number >> (2 * at)) & 3];
      }
      std::string utf8;
      AppendUtf8(word, utf8);
      ASSERT_TRUE(builder.AddDictionaryForm(utf8));
      words.emplace_back(word, look);
    }
  }
  const ReplacementTable table;
  const std::string image = std::move(builder).Build(table, "test");
  const std::optional<WordIndex> index =
      WordIndex::Open(std::as_bytes(std::span(image)), table, "test");
  ASSERT_TRUE(index);
  std::vector<WordIndex::Match> matches;
  for (const auto& [word, look] : words) {
    matches.clear();
    index->FindRussian(look, matches);
    ASSERT_EQ(matches.size(), 1u) << look;
    std::u16string found;
    for (const std::uint8_t slot : matches[0].slots) {
      found += kSlotLetters[slot];
    }
    EXPECT_EQ(found, word) << look;
    matches.clear();
    index->FindRussian(look + "kkkkkk", matches);
    EXPECT_TRUE(matches.empty()) << look;
  }
}

}  // namespace
}  // namespace lettermorph
