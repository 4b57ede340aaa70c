#include "decode/decoded_word_cache.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "../support/named_rows.h"
#include "word_list.h"

namespace lettermorph {
namespace {

struct Case {
  const char* name;
  std::size_t generationSize;
  std::string tokens;  // A to E, one a token
};

class DecodedWordCacheCases : public testing::TestWithParam<Case> {};

// The cache holds two generations of a fixed size in flat tables; when the newer is full the
// older is cleared and takes its place. However small the generations and however often they
// turn over, every token reads as its own word, never as one that a slot held before.
TEST_P(DecodedWordCacheCases, ServesEachTokenItsOwnWord) {
  const std::map<char, std::pair<std::string, std::string>> words = {
      {'A', {"mou", "мои"}},     {'B', {"uog", "йод"}},   {'C', {"ceJI", "сел"}},
      {'D', {"6ygeT", "будет"}}, {'E', {"mocT", "мост"}},
  };
  const ReplacementTable table;
  const WordList dictionary = {u"мои", u"йод", u"сел", u"будет", u"мост"};
  const WordDecoder decoder(table, dictionary.For(table));
  DecodedWordCache cache(GetParam().generationSize);
  for (const char token : GetParam().tokens) {
    EXPECT_EQ(cache.Decode(words.at(token).first, decoder).letters, words.at(token).second)
        << token;
  }
}

INSTANTIATE_TEST_SUITE_P(Generations, DecodedWordCacheCases,
                         testing::Values(Case{"one_word_a_generation", 1, "AABABCCADEEDBA"},
                                         Case{"two_words_a_generation", 2, "ABCABCDEDEAAEBDC"},
                                         Case{"room_for_all", 8, "ABCDEEDCBAACEBD"}),
                         RowName);

// A token's length in characters, which its line counts, comes with its word from either
// generation; look-alike text may hold Russian letters, two bytes each, among its Latin ones.
TEST(DecodedWordCache, GivesEachTokensLengthInCharacters) {
  const ReplacementTable table;
  const WordList dictionary = {u"мост"};
  const WordDecoder decoder(table, dictionary.For(table));
  DecodedWordCache cache(1);
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(cache.Decode("mocT", decoder).characters, 4) << round;
    EXPECT_EQ(cache.Decode("mосT", decoder).characters, 4) << round;
    EXPECT_EQ(cache.Decode(">I<ук", decoder).characters, 5) << round;
  }
}

// The cache decodes each new token in place, into an entry that the word of a generation
// dropped before may have held, with its letters' buffer: a number or a token with no
// reading, which sets little, keeps nothing of that word. Written afresh, the word leaves its
// token as the entry holds it, so the token met again is found, not decoded again.
TEST(DecodedWordCache, DecodesEachNewTokenAfresh) {
  const ReplacementTable table;
  const WordList dictionary = {u"мои", u"при"};
  const WordDecoder decoder(table, dictionary.For(table));
  // A word a generation: "42" takes the entry of "mou", and "#" that of "npu".
  DecodedWordCache cache(1);
  for (const std::string_view token : {"mou", "npu", "42", "#"}) {
    const DecodedWord& word = cache.Decode(token, decoder);
    EXPECT_EQ(&cache.Decode(token, decoder), &word) << token;
    if (token == "mou" || token == "npu") {
      EXPECT_EQ(word.kind, DecodedWord::Kind::Russian);
      EXPECT_EQ(word.letters, token == "mou" ? "мои" : "при");
      continue;
    }
    EXPECT_EQ(word.kind, token == "42" ? DecodedWord::Kind::Number : DecodedWord::Kind::Foreign)
        << token;
    EXPECT_EQ(word.letters, "") << token;
    EXPECT_EQ(word.spellings, 0) << token;
    EXPECT_EQ(word.asks, DecodedWord::Asks::Nothing) << token;
    EXPECT_FALSE(word.endingTwin || word.properNoun || word.mayBeEnglish) << token;
  }
}

// The table under the cache starts with few slots and doubles them as words come, until, an
// eighth full, it takes the slots it will end with: every word, short or long, stays findable
// through each growth and none is found after Clear(), when the same slots take new words.
TEST(DecodedWordTable, FindsEveryWordThroughGrowthAndClearing) {
  DecodedWordTable table(300);
  const auto token = [](int i) { return std::to_string(i) + std::string(i % 40, 'w'); };
  const auto find = [&](const std::string& text) {
    return table.Find(text, DecodedWordTable::Hash(text));
  };
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 300; ++i) {
      ASSERT_FALSE(table.Full()) << i;
      DecodedWord word;
      word.letters = token(i) + (round == 0 ? "a" : "b");
      table.Insert(token(i), DecodedWordTable::Hash(token(i)), word);
    }
    EXPECT_TRUE(table.Full());
    for (int i = 0; i < 300; ++i) {
      const DecodedWord* word = find(token(i));
      ASSERT_NE(word, nullptr) << i;
      EXPECT_EQ(word->letters, token(i) + (round == 0 ? "a" : "b"));
    }
    EXPECT_EQ(find(token(300)), nullptr);
    table.Clear();
    EXPECT_EQ(find(token(0)), nullptr);
    EXPECT_EQ(find(token(299)), nullptr);
  }
}

// A slot numbers its entry in 16 bits: a table asked for room for more words than that is full
// at 65535, and up to then every word is found as its own.
TEST(DecodedWordTable, HoldsNoMoreWordsThanItsSlotsNumber) {
  DecodedWordTable table(100000);
  int words = 0;
  for (; !table.Full(); ++words) {
    DecodedWord word;
    word.letters = std::to_string(words);
    table.Insert(word.letters, DecodedWordTable::Hash(word.letters), word);
  }
  EXPECT_EQ(words, 65535);
  for (int i = 0; i < words; i += 97) {
    const std::string token = std::to_string(i);
    const DecodedWord* word = table.Find(token, DecodedWordTable::Hash(token));
    ASSERT_NE(word, nullptr) << i;
    EXPECT_EQ(word->letters, token);
  }
}

// A slot is taken by its token's bytes, not by its hash alone: under the same hash, a token
// that differs from the stored one in any byte, or in its length, is not found.
TEST(DecodedWordTable, TellsTokensApartUnderOneHash) {
  const std::string stored = "abcdefghijklmnopqrstuvwxyz";
  for (std::size_t size = 1; size <= stored.size(); ++size) {
    DecodedWordTable table(4);
    const std::string token = stored.substr(0, size);
    table.Insert(token, 42, DecodedWord());
    ASSERT_NE(table.Find(token, 42), nullptr) << size;
    EXPECT_EQ(table.Find(stored.substr(0, size - 1), 42), nullptr) << size;
    EXPECT_EQ(table.Find(token + "!", 42), nullptr) << size;
    for (std::size_t at = 0; at < size; ++at) {
      std::string other = token;
      other[at] = 'Z';
      EXPECT_EQ(table.Find(other, 42), nullptr) << size << " " << at;
    }
  }
}

}  // namespace
}  // namespace lettermorph
