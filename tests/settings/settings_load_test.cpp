#include <gtest/gtest.h>

#include "scratch_directory.h"
#include "settings/settings_file.h"

namespace lettermorph {
namespace {

struct LoadCase {
  const char* name;
  std::string bytes;
  std::vector<std::pair<int, std::u16string>> slots;  // what some slots hold afterwards
};

void PrintTo(const LoadCase& loadCase, std::ostream* out) {
  *out << loadCase.name;
}

std::string Lines(int count) {
  std::string bytes;
  for (int i = 0; i < count; ++i) {
    bytes.append(1, static_cast<char>('0' + i % 10)).append("\r\n");
  }
  return bytes;
}

std::u16string Default(int slot) {
  return std::u16string(DesignDefaults[slot]);
}

class SettingsLoad : public testing::TestWithParam<LoadCase> {
 protected:
  ScratchDirectory directory_;
};

TEST_P(SettingsLoad, FillsTheSlotsTheFileHolds) {
  ScratchDirectory::Write("settings.ini", GetParam().bytes);
  ReplacementTable table;
  SettingsFile(CodePage::Named("CP1251")).LoadSettings(table);
  for (const auto& [slot, value] : GetParam().slots) {
    EXPECT_EQ(*table.ReplacementAt(slot), value) << "slot " << slot;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, SettingsLoad,
    testing::Values(
        LoadCase{"SeventyLines", Lines(70), {{0, u"0"}, {65, u"5"}}},
        LoadCase{"FinalLineEndMakesNoExtraValue", Lines(3), {{2, u"2"}, {3, Default(3)}}},
        LoadCase{"LastLineWithoutLineEnd", "A\r\nlast", {{1, u"last"}}},
        LoadCase{"EmptyLineAndSpaces", "  a b  \r\n\r\nx", {{0, u"  a b  "}, {1, u""}}},
        LoadCase{"MixedLineEnds", "a\r\n\rb\n\nc", {{1, u""}, {2, u"b"}, {3, u""}, {4, u"c"}}},
        LoadCase{"ByteOrderMarkIsText", "\xEF\xBB\xBFX", {{0, u"\u043F\u00BB\u0457X"}}},
        LoadCase{"BinaryBytes",
                 std::string("\0\x01\xC6\r\n\x98", 6),
                 {{0, std::u16string(u"\0\x01Ж", 3)}, {1, u"\uFFFD"}}}),
    [](const testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

TEST(SettingsLoadTrouble, UnreadableFilesLeaveTheTableAlone) {
  ScratchDirectory directory;
  ReplacementTable table;
  SettingsFile(CodePage::Named("UTF-8")).LoadSettings(table);  // no file at all
  std::filesystem::create_directory("settings.ini");
  SettingsFile(CodePage::Named("UTF-8")).LoadSettings(table);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    EXPECT_EQ(*table.ReplacementAt(slot), DesignDefaults[slot]);
  }
}

// The reader works in 64 KiB pieces; a CR LF split between two must still be one line end.
TEST(SettingsLoadTrouble, LineEndSplitAcrossReads) {
  ScratchDirectory directory;
  for (std::size_t first : {65534u, 65535u, 65536u}) {
    ScratchDirectory::Write("settings.ini", std::string(first, 'a') + "\r\nsecond\r\n");
    ReplacementTable table;
    SettingsFile(CodePage::Named("UTF-8")).LoadSettings(table);
    EXPECT_EQ(table.ReplacementAt(0)->size(), first);
    EXPECT_EQ(*table.ReplacementAt(1), u"second") << first;
    EXPECT_EQ(*table.ReplacementAt(2), DesignDefaults[2]) << first;
  }
}

}  // namespace
}  // namespace lettermorph
