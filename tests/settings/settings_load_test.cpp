#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "../support/faults.h"
#include "../support/scratch_directory.h"
#include "settings/settings_file.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

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

class SettingsLoad : public testing::TestWithParam<LoadCase> {
 protected:
  ScratchDirectory directory_;
};

// Read in Windows-1251, so that a byte order mark cannot pass for text by chance.
TEST_P(SettingsLoad, FillsTheSlotsTheFileHolds) {
  ScratchDirectory::Write("settings.ini", GetParam().bytes);
  ReplacementTable table;
  SettingsFile(CodePage::Named("CP1251")).LoadSettings(table);
  for (const auto& [slot, value] : GetParam().slots) {
    EXPECT_EQ(*table.ReplacementAt(slot), value) << "slot " << slot;
  }
}

// Where a case names slot 3 with "r" or slot 28 with "bI", the file did not reach it and the
// design set's value is still there.
INSTANTIATE_TEST_SUITE_P(
    Files, SettingsLoad,
    testing::Values(
        LoadCase{"SeventyLines", Lines(70), {{0, u"0"}, {65, u"5"}}},
        LoadCase{"FinalLineEndMakesNoExtraValue", Lines(3), {{2, u"2"}, {3, u"r"}}},
        LoadCase{"LastLineWithoutLineEnd", "A\r\nlast", {{1, u"last"}, {2, u"B"}}},
        LoadCase{"EmptyLineAndSpaces", "  a b  \r\n\r\nx", {{0, u"  a b  "}, {1, u""}}},
        LoadCase{"MixedLineEnds", "a\r\n\rb\n\nc", {{1, u""}, {2, u"b"}, {3, u""}, {4, u"c"}}},
        LoadCase{"Windows1251Letters", "\xC6\r\n\xE0\xB8", {{0, u"Ж"}, {1, u"аё"}}},
        LoadCase{"Utf8ByteOrderMark", "\xEF\xBB\xBF\xD0\x96\r\nx", {{0, u"Ж"}, {1, u"x"}}},
        LoadCase{"Utf16ByteOrderMark",
                 std::string("\xFF\xFE\x16\x04\r\0\n\0\r\0\x30\x04\n\0!", 15),
                 {{0, u"Ж"}, {1, u""}, {2, u"а"}, {3, u"\uFFFD"}, {4, u"D"}}},
        LoadCase{"MarkOnlyAtTheStart", "x\r\n\xEF\xBB\xBF", {{1, u"п»ї"}}},
        LoadCase{"BinaryBytes",
                 std::string("\0\x01\xC6\r\n\x98", 6),
                 {{0, std::u16string(u"\0\x01Ж", 3)}, {1, u"\uFFFD"}}}),
    [](const testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

// Nothing unusual under the name blocks start-up or changes the table: no file, a folder, a
// named pipe with no writer, or a file that fails to read part-way, whose half-read line is
// not taken for a value.
TEST(SettingsLoadTrouble, UnusualSourcesLeaveTheTableAlone) {
  ScratchDirectory directory;
  ReplacementTable table;
  SettingsFile(CodePage::Named("UTF-8")).LoadSettings(table);
  std::filesystem::create_directory("folder.ini");
  SettingsFile(CodePage::Named("UTF-8"), "folder.ini").LoadSettings(table);
#ifndef _WIN32
  ASSERT_EQ(mkfifo("pipe.ini", 0600), 0);
  auto load = std::async(std::launch::async, [&table] {
    SettingsFile(CodePage::Named("UTF-8"), "pipe.ini").LoadSettings(table);
  });
  ASSERT_EQ(load.wait_for(std::chrono::seconds(20)), std::future_status::ready)
      << "start-up blocked on a named pipe";
#endif
  // The first read holds the first line and the start of the second; the next read fails.
  ScratchDirectory::Write("broken.ini", "first\r\n" + std::string(100'000, 'x') + "\r\nthird");
  SettingsFile(CodePage::Named("UTF-8"), "broken.ini",
               FailAt(FileStep::Read, std::errc::io_error, 2))
      .LoadSettings(table);
  EXPECT_EQ(*table.ReplacementAt(0), u"first");
  EXPECT_EQ(*table.ReplacementAt(1), u"6");
  EXPECT_EQ(*table.ReplacementAt(2), u"B");
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
    EXPECT_EQ(*table.ReplacementAt(2), u"B") << first;
  }
}

}  // namespace
}  // namespace lettermorph
