#include "recode/recode_text.h"

#include <gtest/gtest.h>

#include <string>

namespace lettermorph {
namespace {

struct Example {
  const char* name;
  std::u16string_view input;
  std::u16string_view underReset;
  std::u16string_view underDesign;
};

void PrintTo(const Example& example, std::ostream* out) {
  *out << example.name;
}

class RecodeExamples : public testing::TestWithParam<Example> {};

TEST_P(RecodeExamples, UnderBothBuiltInSets) {
  ReplacementTable table;
  EXPECT_EQ(RecodeText(GetParam().input, table), GetParam().underDesign);
  table.ApplyResetDefaults();
  EXPECT_EQ(RecodeText(GetParam().input, table), GetParam().underReset);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, RecodeExamples,
    testing::Values(
        Example{"Beetle", u"Жук", u">I<yK", u"}|{yk"},
        Example{"GreetingKeepsPunctuation", u"Привет, мир!", u"npuBeT, mup!", u"npuBeT, mup!"},
        Example{"HardSignVanishes", u"Съешь", u"Cewb", u"CeIIIb"},
        Example{"YoIsItsOwnLetter", u"Ёлка", u"EJIKa", u"EJIk\u0430"},
        Example{"LatinLettersCopied", u"Q: Ура!", u"Q: Ypa!", u"Q: Yp\u0430!"},
        Example{"CapitalADroppedSmallAKept", u"Аа", u"Aa", u"\u0430"},
        Example{"OtherCharactersCopied", u"Їжак\r\nґанок", u"Ї>I<aK\r\nґaHoK",
                u"Ї}|{\u0430k\r\nґ\u0430Hok"},
        Example{"SurrogatesAndNulCopied", std::u16string_view(u"я\U0001F600\xD800\0щ", 6),
                std::u16string_view(u"9I\U0001F600\xD800\0w", 7),
                std::u16string_view(u"9I\U0001F600\xD800\0IIL", 9)}),
    [](const testing::TestParamInfo<Example>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace lettermorph
