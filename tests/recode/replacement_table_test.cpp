#include "recode/replacement_table.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "recode/recode_text.h"

namespace lettermorph {
namespace {

// Every letter, capitals and small, under each built-in set, written out by hand from the
// table of replacements: a slot swapped or mistyped shows as a difference at its place. The
// letters are spaced so that an empty replacement leaves two spaces. Everything else, other
// Cyrillic letters, Latin, NUL and surrogates paired or not, is copied under both.
TEST(ReplacementTable, BuiltInSetsRecodeTheAlphabet) {
  const std::u16string capitals =
      u"А Б В Г Д Е Ё Ж З И Й К Л М Н О П Р С Т У Ф Х Ц Ч Ш Щ Ъ Ы Ь Э Ю Я";
  const std::u16string small = u"а б в г д е ё ж з и й к л м н о п р с т у ф х ц ч ш щ ъ ы ь э ю я";
  const std::u16string_view others(u"Ї\0ґ\U0001F600\xD800 Q: ok!\r\n", 15);
  ReplacementTable table;
  EXPECT_EQ(RecodeText(capitals, table),
            u" 6 B r D E E }|{ 3 u u K JI M H O n P C T Y F X IL 4 III IIL  bI b E I0 9I");
  EXPECT_EQ(RecodeText(small, table),
            u"\u0430 6 B r g e e }|{ 3 u u k JI m H o n p c T y F x IL 4 III IIL  bI b e I0 9I");
  EXPECT_EQ(RecodeText(others, table), others);
  table.ApplyResetDefaults();
  EXPECT_EQ(RecodeText(capitals, table),
            u"A 6 B r D E E >I< 3 u u K JI M H O n P C T Y F X u 4 W W  bI b E I0 9I");
  EXPECT_EQ(RecodeText(small, table),
            u"a 6 B r g e e >I< 3 u u K JI m H o n p c T y f x u 4 w w  bI b e I0 9I");
  EXPECT_EQ(RecodeText(others, table), others);
  // Each slot's letter, "Ё" and "ё" right after "Е" and "е".
  for (int slot = 0; slot < kSlotCount; ++slot) {
    ASSERT_TRUE(table.SetReplacement(slot, std::u16string(1, u'0' + slot % 10)));
  }
  EXPECT_EQ(RecodeText(capitals, table),
            u"0 1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 0 1 2");
  EXPECT_EQ(RecodeText(small, table),
            u"3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 0 1 2 3 4 5");
}

TEST(ReplacementTable, RefusesSlotsOutsideTheTable) {
  ReplacementTable table;
  int changes = 0;
  auto subscription = table.Subscribe([&](int) { ++changes; });
  for (int slot : {-1, 66, INT_MIN, INT_MAX}) {
    EXPECT_FALSE(table.LetterAt(slot).has_value()) << slot;
    EXPECT_FALSE(table.ReplacementAt(slot).has_value()) << slot;
    EXPECT_FALSE(table.SetReplacement(slot, u"X")) << slot;
  }
  EXPECT_EQ(*table.ReplacementAt(65), u"9I");
  EXPECT_EQ(changes, 0);
}

// Views hear of each slot whose replacement really changed, whoever changed it, and no more.
TEST(ReplacementTable, TellsEachChangedSlotOnce) {
  ReplacementTable table;
  std::vector<int> heard;
  auto subscription = table.Subscribe([&](int slot) { heard.push_back(slot); });

  ASSERT_TRUE(table.SetReplacement(12, u"L"));
  ASSERT_TRUE(table.SetReplacement(12, u"L"));
  EXPECT_EQ(heard, std::vector<int>{12});

  heard.clear();
  table.ApplyResetDefaults();
  EXPECT_EQ(heard, (std::vector<int>{0, 7, 12, 23, 25, 26, 33, 40, 44, 54, 56, 58, 59}));
  heard.clear();
  table.ApplyResetDefaults();
  EXPECT_TRUE(heard.empty());

  subscription = {};
  ASSERT_TRUE(table.SetReplacement(0, u"gone"));
  EXPECT_TRUE(heard.empty());
}

}  // namespace
}  // namespace lettermorph
