#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "scratch_directory.h"
#include "settings/settings_file.h"

namespace lettermorph {
namespace {

// A slot the file is expected to give a value, or leave at its default.
struct Expected {
  int slot;
  std::u16string value;
};

struct LoadCase {
  const char* name;
  std::string bytes;
  std::vector<Expected> slots;
};

void PrintTo(const LoadCase& loadCase, std::ostream* out) {
  *out << loadCase.name;
}

std::string Lines(int count, const char* end = "\r\n") {
  std::string bytes;
  for (int i = 0; i < count; ++i) {
    bytes.append("v").append(std::to_string(i)).append(end);
  }
  return bytes;
}

std::u16string Value(int i) {
  const std::string digits = std::to_string(i);
  return u"v" + std::u16string(digits.begin(), digits.end());
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
  for (const Expected& expected : GetParam().slots) {
    EXPECT_EQ(*table.ReplacementAt(expected.slot), expected.value) << "slot " << expected.slot;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, SettingsLoad,
    testing::Values(
        LoadCase{"TenLines", Lines(10), {{0, Value(0)}, {9, Value(9)}, {10, Default(10)}}},
        LoadCase{"SeventyLines", Lines(70), {{0, Value(0)}, {65, Value(65)}}},
        LoadCase{"FinalLineEndMakesNoExtraValue", Lines(3), {{2, Value(2)}, {3, Default(3)}}},
        LoadCase{"LastLineWithoutLineEnd", "A\r\nlast", {{0, u"A"}, {1, u"last"}}},
        LoadCase{"EmptyLineIsEmptyValue", Lines(27) + "\r\n" + "x\r\n", {{27, u""}, {28, u"x"}}},
        LoadCase{"SpacesBelongToTheValue", "  a b  \r\n\t\r\n", {{0, u"  a b  "}, {1, u"\t"}}},
        LoadCase{"CarriageReturnsAlone",
                 Lines(4, "\r"),
                 {{0, Value(0)}, {3, Value(3)}, {4, Default(4)}}},
        LoadCase{"LineFeedsAlone", Lines(4, "\n"), {{0, Value(0)}, {3, Value(3)}, {4, Default(4)}}},
        LoadCase{"MixedLineEnds",
                 "a\r\n\rb\n\nc\n\r",
                 {{0, u"a"}, {1, u""}, {2, u"b"}, {3, u""}, {4, u"c"}, {5, u""}, {6, Default(6)}}},
        LoadCase{"EmptyFile", "", {{0, Default(0)}, {65, Default(65)}}},
        LoadCase{"ByteOrderMarkIsText", "\xEF\xBB\xBFX\r\n", {{0, u"\u043F\u00BB\u0457X"}}},
        LoadCase{"Windows1251Letters", "\xE0\r\n\xC6\xE6\r\n", {{0, u"а"}, {1, u"Жж"}}},
        LoadCase{"BinaryAndNulBytes",
                 std::string("\0\x01\xFF\r\n\x98", 6),
                 {{0, std::u16string(u"\0\x01я", 3)}, {1, u"\uFFFD"}}}),
    [](const testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

TEST(SettingsLoadFailures, LeaveTheTableAsItWas) {
  ScratchDirectory directory;
  const SettingsFile file(CodePage::Named("UTF-8"));
  ReplacementTable table;

  file.LoadSettings(table);  // no file at all
  std::filesystem::create_directory("settings.ini");
  file.LoadSettings(table);
  SettingsFile(CodePage::Named("UTF-8"), "missing-folder/settings.ini").LoadSettings(table);

  for (int slot = 0; slot < kSlotCount; ++slot) {
    EXPECT_EQ(*table.ReplacementAt(slot), DesignDefaults[slot]);
  }
}

// The reader works in 64 KiB pieces; a CR LF split between two must still be one line end.
TEST(SettingsLoadFailures, LineEndSplitAcrossReads) {
  ScratchDirectory directory;
  for (std::size_t first : {65535u, 65536u, 65534u}) {
    ScratchDirectory::Write("settings.ini", std::string(first, 'a') + "\r\nsecond\r\n");
    ReplacementTable table;
    SettingsFile(CodePage::Named("UTF-8")).LoadSettings(table);
    EXPECT_EQ(table.ReplacementAt(0)->size(), first);
    EXPECT_EQ(*table.ReplacementAt(1), u"second") << first;
    EXPECT_EQ(*table.ReplacementAt(2), DesignDefaults[2]) << first;
  }
}

TEST(SettingsLoadFailures, RelativeNameFollowsTheCurrentDirectory) {
  ScratchDirectory directory;
  std::filesystem::create_directory("elsewhere");
  ScratchDirectory::Write("elsewhere/settings.ini", "from elsewhere\r\n");
  const SettingsFile file(CodePage::Named("UTF-8"));
  ReplacementTable table;
  file.LoadSettings(table);
  EXPECT_EQ(*table.ReplacementAt(0), u"");
  std::filesystem::current_path("elsewhere");
  file.LoadSettings(table);
  EXPECT_EQ(*table.ReplacementAt(0), u"from elsewhere");
}

std::size_t AddressSpaceInUse() {
  std::ifstream statm("/proc/self/statm");
  std::size_t pages = 0;
  statm >> pages;
  return pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

// A 200 MiB line is read within three times its size of fresh memory: the child process
// cannot map more than that, so a reader that copies the line more often fails to load it.
TEST(SettingsLoadLimits, HugeLineFitsInThreeTimesItsSize) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves address space of its own";
#else
  ScratchDirectory directory;
  const std::size_t size = 200u << 20;
  {
    std::ofstream out("settings.ini", std::ios::binary);
    const std::string block(1 << 20, 'q');
    for (std::size_t written = 0; written < size; written += block.size()) {
      out << block;
    }
  }
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const SettingsFile file(CodePage::Named("UTF-8"));
    ReplacementTable table;
    const rlim_t limit = AddressSpaceInUse() + 3 * size + (16u << 20);
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
