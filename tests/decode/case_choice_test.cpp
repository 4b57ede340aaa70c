#include "case_choice.h"

#include <gtest/gtest.h>

#include <vector>

#include "decode/look_alike_index.h"

namespace lettermorph {
namespace {

constexpr std::uint8_t kSmall = kSmallCase;
constexpr std::uint8_t kCapital = kCapitalCase;
constexpr std::uint8_t kEither = kSmallCase | kCapitalCase;

std::vector<std::uint8_t> Either(std::size_t letters) {
  return std::vector<std::uint8_t>(letters, kEither);
}

struct Case {
  const char* name;
  std::u16string_view small;
  std::vector<std::uint8_t> cases;  // what each letter's look-alike allows
  bool sentenceStart;
  bool properNoun;
  std::u16string_view spelled;
};

void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

class CaseChoiceCases : public testing::TestWithParam<Case> {};

TEST_P(CaseChoiceCases, SpellsTheWord) {
  const Case& c = GetParam();
  EXPECT_EQ(CaseChoice(c.small, c.cases).Spell(c.sentenceStart, c.properNoun), c.spelled);
}

INSTANTIATE_TEST_SUITE_P(
    LookAlikesThatAllowEitherCase, CaseChoiceCases,
    testing::Values(Case{"inside_a_sentence", u"будет", Either(5), false, false, u"будет"},
                    Case{"sentence_start", u"будет", Either(5), true, false, u"Будет"},
                    Case{"proper_noun", u"москва", Either(6), false, true, u"Москва"},
                    Case{"yo_first", u"ёж", Either(2), true, false, u"Ёж"}),
    [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

// "Y" is only the capital "У" and "y" only the small one: such look-alikes win over the
// sentence, and a word no whole-word form fits takes each letter's own case.
INSTANTIATE_TEST_SUITE_P(
    LookAlikesThatTellTheCase, CaseChoiceCases,
    testing::Values(
        Case{"capital_first_inside_a_sentence", u"ух", {kCapital, kEither}, false, false, u"Ух"},
        Case{"small_first_at_a_sentence_start", u"ух", {kSmall, kEither}, true, false, u"ух"},
        Case{"capital_later_all_capitals", u"ух", {kEither, kCapital}, false, false, u"УХ"},
        Case{"capitals_with_yo", u"ёж", {kEither, kCapital}, false, false, u"ЁЖ"},
        Case{"forms_disagree", u"ау", {kSmall, kCapital}, true, false, u"аУ"},
        Case{"forms_disagree_later", u"жук", {kEither, kSmall, kCapital}, true, false, u"жуК"}),
    [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

}  // namespace
}  // namespace lettermorph
