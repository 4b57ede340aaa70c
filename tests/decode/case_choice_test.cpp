#include "case_choice.h"

#include <gtest/gtest.h>

#include <vector>

#include "../support/named_rows.h"
#include "decode/look_alike_index.h"

namespace lettermorph {
namespace {

constexpr std::uint8_t kSmall = kSmallCase;
constexpr std::uint8_t kCapital = kCapitalCase;
constexpr std::uint8_t kEither = kSmallCase | kCapitalCase;

struct Case {
  const char* name;
  std::u16string_view small;
  std::vector<std::uint8_t> cases;  // what each letter's look-alike allows
  bool sentenceStart;
  bool properNoun;
  std::u16string_view spelled;
};

class CaseChoiceCases : public testing::TestWithParam<Case> {};

TEST_P(CaseChoiceCases, SpellsTheWord) {
  const Case& c = GetParam();
  EXPECT_EQ(CaseChoice(c.small, c.cases).Spell(c.sentenceStart, c.properNoun), c.spelled);
}

// "Y" is only the capital "У" and "y" only the small one: such look-alikes win over the
// sentence, and a word no whole-word form fits takes each letter's own case. Where the
// look-alikes allow either, the sentence and names decide, as decoding whole texts shows.
INSTANTIATE_TEST_SUITE_P(
    LookAlikesThatTellTheCase, CaseChoiceCases,
    testing::Values(
        Case{"yo_first_at_a_sentence_start", u"ёж", {kEither, kEither}, true, false, u"Ёж"},
        Case{"capital_first_inside_a_sentence", u"ух", {kCapital, kEither}, false, false, u"Ух"},
        Case{"small_first_at_a_sentence_start", u"ух", {kSmall, kEither}, true, false, u"ух"},
        Case{"capital_later_all_capitals", u"ух", {kEither, kCapital}, false, false, u"УХ"},
        Case{"capitals_with_yo", u"ёж", {kEither, kCapital}, false, false, u"ЁЖ"},
        Case{"forms_disagree", u"ау", {kSmall, kCapital}, true, false, u"аУ"},
        Case{"forms_disagree_later", u"жук", {kSmall, kSmall, kCapital}, true, false, u"жуК"},
        Case{"capital_late_in_a_word",
             u"машина",
             {kEither, kEither, kEither, kEither, kEither, kCapital},
             false,
             false,
             u"МАШИНА"},
        // Words run together, as in a menu's name, start with a capital where their first
        // look-alike allows it.
        Case{"words_run_together",
             u"параметрысервис",
             {kEither, kSmall, kSmall, kSmall, kSmall, kSmall, kEither, kSmall, kEither, kCapital,
              kSmall, kSmall, kEither, kEither, kSmall},
             false,
             false,
             u"ПараметрыСервис"}),
    RowName);

}  // namespace
}  // namespace lettermorph
