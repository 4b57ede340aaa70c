#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

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

std::string Lines(int count, const char* end = "\r\n") {
  std::string bytes;
  for (int i = 0; i < count; ++i) {
    bytes.append(1, static_cast<char>('0' + i % 10)).append(end);
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
        LoadCase{"TenLines", Lines(10), {{9, u"9"}, {10, Default(10)}}},
        LoadCase{"SeventyLines", Lines(70), {{0, u"0"}, {65, u"5"}}},
        LoadCase{"FinalLineEndMakesNoExtraValue", Lines(3), {{2, u"2"}, {3, Default(3)}}},
        LoadCase{"LastLineWithoutLineEnd", "A\r\nlast", {{1, u"last"}}},
        LoadCase{"EmptyLineAndSpaces", "  a b  \r\n\r\nx", {{0, u"  a b  "}, {1, u""}}},
        LoadCase{"CarriageReturnsAlone", Lines(4, "\r"), {{3, u"3"}, {4, Default(4)}}},
        LoadCase{"LineFeedsAlone", Lines(4, "\n"), {{3, u"3"}, {4, Default(4)}}},
        LoadCase{"MixedLineEnds", "a\r\n\rb\n\nc", {{1, u""}, {2, u"b"}, {3, u""}, {4, u"c"}}},
        LoadCase{"EmptyFile", "", {{0, Default(0)}}},
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

// A 200 MiB line loads within three times its size of fresh memory: the child process
// cannot map more than that, so a reader that copied the line more often would fail.
TEST(SettingsLoadTrouble, HugeLineFitsInThreeTimesItsSize) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves address space of its own";
#else
  ScratchDirectory directory;
  const std::size_t size = 200u << 20;
  ScratchDirectory::Write("settings.ini", "q");
  std::filesystem::resize_file("settings.ini", size);  // the rest reads as NUL bytes
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const SettingsFile file(CodePage::Named("UTF-8"));
    ReplacementTable table;
    std::size_t pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t limit = pages * sysconf(_SC_PAGESIZE) + 3 * size + (16u << 20);
    const rlimit cap{limit, limit};
    setrlimit(RLIMIT_AS, &cap);
    file.LoadSettings(table);
    _exit(table.ReplacementAt(0)->size() == size ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
#endif
}

}  // namespace
}  // namespace lettermorph
