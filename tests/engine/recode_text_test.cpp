#include "engine/recode_text.h"

#include "bench/compare_every_slot.h"

#include <gtest/gtest.h>

#include <random>
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

TEST_P(RecodeExamples, UnderResetDefaults) {
  ReplacementTable table;
  table.ApplyResetDefaults();
  EXPECT_EQ(RecodeText(GetParam().input, table), GetParam().underReset);
}

TEST_P(RecodeExamples, UnderDesignDefaults) {
  ReplacementTable table;
  EXPECT_EQ(RecodeText(GetParam().input, table), GetParam().underDesign);
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
        Example{"Empty", u"", u"", u""},
        Example{"LineBreaksCopied", u"да\r\nнет\n", u"ga\r\nHeT\n", u"g\u0430\r\nHeT\n"},
        Example{"NonRussianCyrillicCopied", u"Їжак ґанок ўсё", u"Ї>I<aK ґaHoK ўce",
                u"Ї}|{\u0430k ґ\u0430Hok ўce"},
        Example{"SurrogatePairsIntact", u"я\U0001F600я", u"9I\U0001F6009I", u"9I\U0001F6009I"},
        Example{"LoneSurrogatesAndNulCopied", std::u16string_view(u"\xD800щ\0\xDFFF", 4),
                std::u16string_view(u"\xD800w\0\xDFFF", 4),
                std::u16string_view(u"\xD800IIL\0\xDFFF", 6)}),
    [](const testing::TestParamInfo<Example>& info) { return std::string(info.param.name); });

TEST(RecodeEdits, TakeEffectAtTheNextPass) {
  ReplacementTable table;
  EXPECT_EQ(RecodeText(u"Жук", table), u"}|{yk");
  ASSERT_TRUE(table.SetReplacement(7, u"X"));
  ASSERT_TRUE(table.SetReplacement(44, u""));
  EXPECT_EQ(RecodeText(u"Жук", table), u"Xy");
}

TEST(RecodeEdits, ReplacementsAreNotScannedAgain) {
  ReplacementTable table;
  ASSERT_TRUE(table.SetReplacement(0, u"Бб"));
  ASSERT_TRUE(table.SetReplacement(1, u"А"));
  EXPECT_EQ(RecodeText(u"АБ", table), u"БбА");
}

TEST(RecodeEdits, OwnLetterPassesThrough) {
  ReplacementTable table;
  ASSERT_TRUE(table.SetReplacement(32, u"Я"));
  EXPECT_EQ(RecodeText(u"ЯЯ", table), u"ЯЯ");
}

// Replacements of four units are written inline and longer ones are copied whole; both must
// land exactly, including as the last character of the text.
TEST(RecodeEdits, ReplacementsOfEveryLengthAroundTheInlineLimit) {
  ReplacementTable table;
  for (std::size_t length = 0; length <= 9; ++length) {
    const std::u16string value(length, u'#');
    ASSERT_TRUE(table.SetReplacement(9, value));
    EXPECT_EQ(RecodeText(u"И", table), value);
    EXPECT_EQ(RecodeText(u"ИxИ", table), value + u"x" + value);
  }
}

TEST(RecodeLongTexts, AreRecodedInFull) {
  ReplacementTable table;
  table.ApplyResetDefaults();
  for (std::size_t length : {32767u, 32768u, 1000003u}) {
    const std::u16string input(length, u'ж');
    const std::u16string out = RecodeText(input, table);
    ASSERT_EQ(out.size(), 3 * length);
    EXPECT_EQ(out.substr(out.size() - 3), u">I<");
  }
}

// Random tables and texts, checked against the slot-by-slot pass.
TEST(RecodeRandom, AgreesWithComparingEverySlot) {
  std::mt19937 random(20261206);
  const std::u16string pool =
      u"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдеёжзийклмнопрстуфхцчшщъыьэюя"
      u"ABCxyz019 .,!?\r\n\tЀЏѐџіїєґў\u0460\x7F\xD83D\xDE00\xFFFF";
  for (int round = 0; round < 200; ++round) {
    ReplacementTable table;
    for (int edits = 0; edits < 10; ++edits) {
      std::u16string value(random() % 7, u' ');
      for (char16_t& c : value) {
        c = pool[random() % pool.size()];
      }
      ASSERT_TRUE(table.SetReplacement(static_cast<int>(random() % kSlotCount), value));
    }
    std::u16string text(random() % 300, u' ');
    for (char16_t& c : text) {
      c = pool[random() % pool.size()];
    }
    ASSERT_EQ(RecodeText(text, table), CompareEverySlot(text, table)) << "round " << round;
  }
}

}  // namespace
}  // namespace lettermorph
