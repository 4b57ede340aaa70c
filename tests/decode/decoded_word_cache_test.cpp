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
  std::string tokens;   // A to E, one a token
  std::string decoded;  // for each token: "d" when the dictionary was asked, "c" when cached
};

class DecodedWordCacheCases : public testing::TestWithParam<Case> {};

// The cache holds two generations; when the newer is full it becomes the older and the older
// is dropped, and a word found in the older moves to the newer. So a word in steady use is
// never decoded again, and one unused for two generations is.
TEST_P(DecodedWordCacheCases, DecodesOnlyWhatItDoesNotHold) {
  const std::map<char, std::pair<std::string, std::string>> words = {
      {'A', {"mou", "мои"}},     {'B', {"uog", "йод"}},   {'C', {"ceJI", "сел"}},
      {'D', {"6ygeT", "будет"}}, {'E', {"mocT", "мост"}},
  };
  const WordList dictionary = {u"мои", u"йод", u"сел", u"будет", u"мост"};
  const WordDecoder decoder(ReplacementTable(), &dictionary);
  DecodedWordCache cache(GetParam().generationSize);
  std::string decoded;
  for (const char token : GetParam().tokens) {
    const int asked = dictionary.lookups;
    const DecodedWord& word = cache.Decode(words.at(token).first, decoder);
    EXPECT_EQ(word.inSentence, words.at(token).second) << token;
    decoded += dictionary.lookups > asked ? 'd' : 'c';
  }
  EXPECT_EQ(decoded, GetParam().decoded);
}

INSTANTIATE_TEST_SUITE_P(
    Generations, DecodedWordCacheCases,
    testing::Values(Case{"repeated_word", 4, "AAAB", "dccd"},
                    Case{"older_generation_still_serves", 2, "ABCA", "dddc"},
                    Case{"word_in_steady_use_survives", 2, "ABACADAEA", "ddcdcdcdc"},
                    Case{"older_generation_is_dropped", 2, "ABCDAB", "dddddd"}),
    RowName);

}  // namespace
}  // namespace lettermorph
