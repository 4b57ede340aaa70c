#include "engine/replacement_table.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace lettermorph {
namespace {

std::vector<std::u16string> Snapshot(const ReplacementTable& table) {
  std::vector<std::u16string> values;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    values.emplace_back(*table.ReplacementAt(slot));
  }
  return values;
}

std::vector<std::u16string> Snapshot(const ReplacementSet& set) {
  return {set.begin(), set.end()};
}

// The alphabet written out from code points rather than copied from the engine's list.
TEST(ReplacementTable, LettersFollowTheAlphabetWithYoAfterYe) {
  ReplacementTable table;
  std::vector<char16_t> expected;
  for (char16_t first : {u'\u0410', u'\u0430'}) {
    for (int i = 0; i < 32; ++i) {
      expected.push_back(static_cast<char16_t>(first + i));
      if (i == 5) {
        expected.push_back(first == u'\u0410' ? u'\u0401' : u'\u0451');
      }
    }
  }
  for (int slot = 0; slot < kSlotCount; ++slot) {
    EXPECT_EQ(*table.LetterAt(slot), expected[slot]) << "slot " << slot;
  }
}

TEST(ReplacementTable, NewHoldsDesignDefaultsAndResetWritesResetDefaults) {
  ReplacementTable table;
  EXPECT_EQ(Snapshot(table), Snapshot(DesignDefaults));
  EXPECT_EQ(*table.ReplacementAt(0), u"");
  EXPECT_EQ(*table.ReplacementAt(7), u"}|{");
  EXPECT_EQ(*table.ReplacementAt(33), u"\u0430") << "the Cyrillic letter itself, not Latin a";

  table.ApplyResetDefaults();
  EXPECT_EQ(Snapshot(table), Snapshot(ResetDefaults));
  EXPECT_EQ(*table.ReplacementAt(0), u"A");
  EXPECT_EQ(*table.ReplacementAt(33), u"\u0061");
  EXPECT_EQ(*table.ReplacementAt(44), u"K");
  EXPECT_EQ(*table.ReplacementAt(54), u"f");
  EXPECT_EQ(*table.ReplacementAt(60), u"");

  std::vector<int> differing;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (DesignDefaults[slot] != ResetDefaults[slot]) {
      differing.push_back(slot);
    }
  }
  EXPECT_EQ(differing, (std::vector<int>{0, 7, 23, 25, 26, 33, 40, 44, 54, 56, 58, 59}));
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
  EXPECT_EQ(Snapshot(table), Snapshot(DesignDefaults));
  EXPECT_EQ(changes, 0);
}

TEST(ReplacementTable, TellsEachChangedSlotOnce) {
  ReplacementTable table;
  std::vector<int> heard;
  auto subscription = table.Subscribe([&](int slot) { heard.push_back(slot); });

  ASSERT_TRUE(table.SetReplacement(12, u"L"));
  ASSERT_TRUE(table.SetReplacement(12, u"L"));  // unchanged: nothing to tell
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
