#include "decode/decode_text.h"

#include <gtest/gtest.h>

#include "../support/named_rows.h"
#include "word_list.h"

namespace lettermorph {
namespace {

// Words of the cases below. Where two readings of a look-alike are both Russian, only the one
// the case expects is listed, unless the case is about choosing between the two.
const WordList kDictionary = {
    {u"и",      u"мои",  u"йод",     u"край",     u"это",        u"еще",    u"ещё",
     u"все",    u"всё",  u"щи",      u"шить",     u"отец",       u"будет",  u"Петербург",
     u"жук",    u"нет",  u"Алексей", u"аптекарь", u"объявление", u"сел",    u"съел",
     u"Москва", u"ша",   u"я",       u"пошёл",    u"домой",      u"по",     u"улице",
     u"соме",   u"оп",   u"а",       u"сир",      u"он",         u"сказал", u"мост",
     u"через",  u"реку", u"сом",     u"б",        u"пар",        u"или"},
    {{u"по", 900}},
    {"come", "on", "a", "cup", "of", "tea", "is", "no", "problem"}};

struct Case {
  const char* name;
  bool reset;  // the reset set, or else the design set
  std::u16string_view lookAlike;
  std::u16string_view russian;
};

std::u16string Decode(const Case& c, const WordList* words) {
  ReplacementTable table;
  if (c.reset) {
    table.ApplyResetDefaults();
  }
  return DecodeText(c.lookAlike, table, words ? words->For(table) : nullptr);
}

class DecodeWithDictionary : public testing::TestWithParam<Case> {};

TEST_P(DecodeWithDictionary, GivesTheRussianText) {
  EXPECT_EQ(Decode(GetParam(), &kDictionary), GetParam().russian);
}

// Each text starts a sentence, so a word that is to be in small letters comes second.
INSTANTIATE_TEST_SUITE_P(
    AmbiguousLookAlikes, DecodeWithDictionary,
    testing::Values(
        // "u" is "и" or "й", and under the reset set "ц" as well.
        Case{"i_where_the_pattern_says_short_i", false, u"u mou", u"И мои"},
        Case{"short_i_before_a_vowel", false, u"uog", u"Йод"},
        Case{"short_i_after_a_vowel", true, u"Kpau", u"Край"},
        Case{"tse_under_reset", true, u"OTeu", u"Отец"},
        // "e" is "е", "ё" or "э"; of two known spellings "е" is taken, "ё" where it is the
        // only one.
        Case{"e_as_e_or_yo", false, u"u eTo eIILe", u"И это еще"},
        Case{"plain_e_of_a_word_of_its_own", true, u"u Bce", u"И все"},
        Case{"yo_among_other_words", true, u"9I noweJI gomou no yJIuue.",
             u"Я пошёл домой по улице."},
        // "W"/"w" is "Ш" or "Щ" under the reset set.
        Case{"shcha_under_reset", true, u"u wu u wuTb", u"И щи и шить"},
        // Capital and small letters with one look-alike take their case from the sentence,
        // from the dictionary's names, and from the other letters of the word.
        Case{"small_inside_a_sentence", false, u"u 6ygeT", u"И будет"},
        Case{"capital_at_a_sentence_start", false, u"u. 6ygeT", u"И. Будет"},
        Case{"capital_of_a_name", false, u"u neTep6ypr", u"И Петербург"},
        Case{"capitals_throughout", false, u"u }|{YK", u"И ЖУК"},
        Case{"capitals_throughout_under_reset", true, u"u HET", u"И НЕТ"},
        Case{"quoted_speech_after_a_colon", false, u"u: «6ygeT»", u"И: «Будет»"},
        // Capital "А" vanishes under the design set, "Ъ" and "ъ" under both.
        Case{"capital_a_before_a_name", false, u"u JIekceu", u"И Алексей"},
        Case{"capital_a_before_a_word", false, u"nTek\u0430pb", u"Аптекарь"},
        Case{"capital_a_in_a_word_in_capitals", false, u"u MOCKB", u"И МОСКВА"},
        Case{"no_capital_a_inside_a_small_word", false, u"6ygeT np", u"Будет np"},
        Case{"hard_sign", false, u"u o69IBJIeHue", u"И объявление"},
        Case{"no_hard_sign_where_the_word_is_whole", true, u"u ceJI", u"И сел"}),
    RowName);

// English words that also read as Russian ("Come" as "Соме", "no" as "по") stay English
// among English words, and are decoded among Russian ones. Numbers and addresses are copied;
// words joined by a slash are read one by one.
INSTANTIATE_TEST_SUITE_P(
    MixedText, DecodeWithDictionary,
    testing::Values(
        Case{"english_sentence_then_russian", true,
             u"Come on, a cup of tea is no problem. 9I noweJI gomou.",
             u"Come on, a cup of tea is no problem. Я пошёл домой."},
        Case{"english_shaped_russian_word", true, u"OH cKa3aJI no", u"Он сказал по"},
        Case{"numbers_addresses_code", false,
             u"Version 2.0: see https://example.com/page, call f(x) = 346 or a@b.org; 6 mocT "
             u"u/uJIu mocT",
             u"Version 2.0: see https://example.com/page, call f(x) = 346 or a@b.org; 6 мост "
             u"и/или мост"},
        Case{"spaces_and_line_ends", true, u"  6ygeT\r\n\r\n\t6ygeT!\n",
             u"  Будет\r\n\r\n\tБудет!\n"}),
    RowName);

class DecodeWithoutDictionary : public testing::TestWithParam<Case> {};

TEST_P(DecodeWithoutDictionary, ChoosesByFixedPreference) {
  EXPECT_EQ(Decode(GetParam(), nullptr), GetParam().russian);
}

// Without a dictionary every token that can be read takes its likeliest reading, no
// vanished letter is guessed, and what cannot be read is still copied.
INSTANTIATE_TEST_SUITE_P(FixedPreference, DecodeWithoutDictionary,
                         testing::Values(Case{"design", false,
                                              u"u mou eTo JIekceu uog ceJI, have 42",
                                              u"И мой ето лексей иод сел, have 42"},
                                         Case{"reset", true, u"Wu oTeu", u"Ши отей"},
                                         // Only a listed English word with a capital inside a
                                         // sentence is taken for a Russian one.
                                         Case{"english_with_a_capital", true, u"have a To Do list",
                                              u"have a To Do list"}),
                         RowName);

}  // namespace
}  // namespace lettermorph
