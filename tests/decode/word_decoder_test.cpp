#include "decode/word_decoder.h"

#include <gtest/gtest.h>

#include <string>

#include "../support/named_rows.h"
#include "word_list.h"

namespace lettermorph {
namespace {

struct Case {
  const char* name;
  std::u16string_view capital;  // the replacement of "Ж"
  std::u16string_view small;    // and of "ж"
  std::string_view inSmall;     // "жук" in small letters, in capitals and in mixed cases
  std::string_view inCapitals;
  std::string_view mixed;
};

class LongLookAlikes : public testing::TestWithParam<Case> {};

// A table's replacements may be of any length; a replacement of eight bytes or fewer is
// compared with the token whole, a longer one piece by piece. Either way a known word is found
// through its look-alike written small or in capitals, and a token whose letters mix the
// cases inside one look-alike is no word at all.
TEST_P(LongLookAlikes, ReadKnownWordsInTheirCase) {
  ReplacementTable table;
  ASSERT_TRUE(table.SetReplacement(7, std::u16string(GetParam().capital)));
  ASSERT_TRUE(table.SetReplacement(7 + kSlotCount / 2, std::u16string(GetParam().small)));
  const WordList dictionary = {u"жук"};
  const WordDecoder decoder(table, dictionary.For(table));

  const DecodedWord small = decoder.Decode(GetParam().inSmall);
  EXPECT_EQ(small.kind, DecodedWord::Kind::Russian);
  EXPECT_EQ(small.letters, "жук");
  EXPECT_EQ(small.spellings, DecodedWord::kSmall);

  const DecodedWord capitals = decoder.Decode(GetParam().inCapitals);
  EXPECT_EQ(capitals.kind, DecodedWord::Kind::Russian);
  EXPECT_EQ(capitals.letters, "жук");
  EXPECT_EQ(capitals.spellings, DecodedWord::kCapitals);

  EXPECT_EQ(decoder.Decode(GetParam().mixed).kind, DecodedWord::Kind::Foreign);
}

INSTANTIATE_TEST_SUITE_P(Lengths, LongLookAlikes,
                         testing::Values(Case{"eight_bytes", u"ZHZHZHZH", u"zhzhzhzh", "zhzhzhzhyk",
                                              "ZHZHZHZHYK", "zhzhZHzhyk"},
                                         Case{"nine_bytes", u"ZHZHZHZHZ", u"zhzhzhzhz",
                                              "zhzhzhzhzyk", "ZHZHZHZHZYK", "zhzhzhzhZyk"},
                                         Case{"cyrillic_ten_bytes", u"ЖЖЖЖЖ", u"жжжжж", "жжжжжyk",
                                              "ЖЖЖЖЖYK", "жжжжЖyk"}),
                         RowName);

}  // namespace
}  // namespace lettermorph
