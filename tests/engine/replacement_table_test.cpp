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
TEST(ReplacementTableLetters, FollowTheAlphabetWithYoAfterYe) {
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
  ASSERT_EQ(expected.size(), 66u);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    EXPECT_EQ(*table.LetterAt(slot), expected[slot]) << "slot " << slot;
  }
  EXPECT_EQ(*table.LetterAt(6), u'Ё');
  EXPECT_EQ(*table.LetterAt(39), u'ё');
  EXPECT_EQ(*table.LetterAt(32), u'Я');
  EXPECT_EQ(*table.LetterAt(33), u'а');
  EXPECT_EQ(*table.LetterAt(65), u'я');
}

TEST(ReplacementTableSets, NewTableHoldsDesignDefaults) {
  ReplacementTable table;
  EXPECT_EQ(Snapshot(table), Snapshot(DesignDefaults));
  EXPECT_EQ(*table.ReplacementAt(0), u"");
  EXPECT_EQ(*table.ReplacementAt(7), u"}|{");
  EXPECT_EQ(*table.ReplacementAt(33), u"\u0430") << "the Cyrillic letter itself, not Latin a";
}

TEST(ReplacementTableSets, ResetWritesResetDefaults) {
  ReplacementTable table;
  table.ApplyResetDefaults();
  EXPECT_EQ(Snapshot(table), Snapshot(ResetDefaults));
  EXPECT_EQ(*table.ReplacementAt(0), u"A");
  EXPECT_EQ(*table.ReplacementAt(7), u">I<");
  EXPECT_EQ(*table.ReplacementAt(33), u"\u0061");
  EXPECT_EQ(*table.ReplacementAt(44), u"K");
  EXPECT_EQ(*table.ReplacementAt(54), u"f");
  EXPECT_EQ(*table.ReplacementAt(27), u"");
  EXPECT_EQ(*table.ReplacementAt(60), u"");
}

TEST(ReplacementTableSets, DifferInExactlyTwelveSlots) {
  std::vector<int> differing;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (DesignDefaults[slot] != ResetDefaults[slot]) {
      differing.push_back(slot);
    }
  }
  EXPECT_EQ(differing, (std::vector<int>{0, 7, 23, 25, 26, 33, 40, 44, 54, 56, 58, 59}));
}

TEST(ReplacementTableSets, AreAsciiExceptTheCyrillicSmallA) {
  for (const ReplacementSet* set : {&DesignDefaults, &ResetDefaults}) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
      if (set == &DesignDefaults && slot == 33) {
        continue;
      }
      for (char16_t c : (*set)[slot]) {
        EXPECT_LT(c, 0x80) << "slot " << slot;
      }
    }
  }
}

TEST(ReplacementTableSets, ResetTwiceChangesNothingTheSecondTime) {
  ReplacementTable table;
  table.ApplyResetDefaults();
  int changes = 0;
  auto subscription = table.Subscribe([&](int) { ++changes; });
  table.ApplyResetDefaults();
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(Snapshot(table), Snapshot(ResetDefaults));
}

TEST(ReplacementTableEdits, AcceptEmptyOwnLetterAndLongStrings) {
  ReplacementTable table;
  ASSERT_TRUE(table.SetReplacement(7, u""));
  ASSERT_TRUE(table.SetReplacement(8, u"З"));
  const std::u16string longValue(100000, u'x');
  ASSERT_TRUE(table.SetReplacement(65, longValue));
  EXPECT_EQ(*table.ReplacementAt(7), u"");
  EXPECT_EQ(*table.ReplacementAt(8), u"З");
  EXPECT_EQ(*table.ReplacementAt(65), longValue);
}

TEST(ReplacementTableEdits, RefuseSlotsOutsideTheTable) {
  ReplacementTable table;
  const auto before = Snapshot(table);
  int changes = 0;
  auto subscription = table.Subscribe([&](int) { ++changes; });
  for (int slot : {-1, 66, 67, INT_MIN, INT_MAX}) {
    EXPECT_FALSE(table.LetterAt(slot).has_value()) << slot;
    EXPECT_FALSE(table.ReplacementAt(slot).has_value()) << slot;
    EXPECT_FALSE(table.SetReplacement(slot, u"X")) << slot;
  }
  EXPECT_EQ(Snapshot(table), before);
  EXPECT_EQ(changes, 0);
}

TEST(ReplacementTableNotifications, TellEachChangedSlotOnce) {
  ReplacementTable table;
  std::vector<int> heard;
  auto subscription = table.Subscribe([&](int slot) { heard.push_back(slot); });

  ASSERT_TRUE(table.SetReplacement(12, u"L"));
  ASSERT_TRUE(table.SetReplacement(12, u"L"));  // unchanged: nothing to tell
  EXPECT_EQ(heard, std::vector<int>{12});

  heard.clear();
  table.ApplyResetDefaults();
  EXPECT_EQ(heard, (std::vector<int>{0, 7, 12, 23, 25, 26, 33, 40, 44, 54, 56, 58, 59}));
}

TEST(ReplacementTableNotifications, StopWhenTheSubscriptionEnds) {
  ReplacementTable table;
  int changes = 0;
  {
    auto subscription = table.Subscribe([&](int) { ++changes; });
    ASSERT_TRUE(table.SetReplacement(0, u"A"));
  }
  ASSERT_TRUE(table.SetReplacement(0, u"B"));
  EXPECT_EQ(changes, 1);
}

TEST(ReplacementTableNotifications, SurviveListenersThatUnsubscribeWhileCalled) {
  ReplacementTable table;
  int firstCalls = 0;
  int secondCalls = 0;
  ReplacementTable::Subscription second;
  ReplacementTable::Subscription first = table.Subscribe([&](int) {
    ++firstCalls;
    first = {};
    second = {};
  });
  second = table.Subscribe([&](int) { ++secondCalls; });

  ASSERT_TRUE(table.SetReplacement(3, u"G"));
  ASSERT_TRUE(table.SetReplacement(3, u"H"));
  EXPECT_EQ(firstCalls, 1);
  EXPECT_EQ(secondCalls, 0);
}

TEST(ReplacementTableNotifications, SubscriptionMayOutliveTheTable) {
  ReplacementTable::Subscription subscription;
  {
    ReplacementTable table;
    subscription = table.Subscribe([](int) {});
  }
  subscription = {};
  SUCCEED();
}

}  // namespace
}  // namespace lettermorph
