#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "../support/faults.h"
#include "../support/scratch_directory.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace lettermorph {
namespace {

// Saved in the code page, every value and a CR LF, and read back as it was: spaces, Cyrillic as
// single bytes and great length kept. Characters the code page lacks are written as "?" and
// their slots named, while the table keeps them.
TEST(SettingsFile, SavesAndReadsBackInTheCodePage) {
  ScratchDirectory directory;
  const SettingsFile file(CodePage::Named("CP1251"));
  ReplacementTable table;
  ASSERT_TRUE(table.SetReplacement(0, u"  spaced  "));
  ASSERT_TRUE(table.SetReplacement(7, u"中"));
  ASSERT_TRUE(table.SetReplacement(40, u"x\U0001F600"));
  ASSERT_TRUE(table.SetReplacement(65, std::u16string(5000, u'Я')));
  const SaveOutcome outcome = file.SaveSettings(table);
  ASSERT_TRUE(outcome.saved());
  EXPECT_EQ(outcome.inexactSlots, (std::vector<int>{7, 40}));
  EXPECT_EQ(*table.ReplacementAt(7), u"中");
  const std::string saved = ScratchDirectory::Read("settings.ini");
  EXPECT_TRUE(saved.starts_with("  spaced  \r\n6\r\nB\r\nr\r\nD\r\nE\r\nE\r\n?\r\n3\r\n"));
  EXPECT_NE(saved.find("\r\nI0\r\n9I\r\n\xE0\r\n6\r\n"), std::string::npos) << "slots 31 to 34";
  EXPECT_TRUE(saved.ends_with("\r\nI0\r\n" + std::string(5000, '\xDF') + "\r\n"));
  ReplacementTable reloaded;
  reloaded.ApplyResetDefaults();
  file.LoadSettings(reloaded);
  ASSERT_TRUE(table.SetReplacement(7, u"?"));
  ASSERT_TRUE(table.SetReplacement(40, u"x?"));
  for (int slot = 0; slot < kSlotCount; ++slot) {
    EXPECT_EQ(*reloaded.ReplacementAt(slot), *table.ReplacementAt(slot)) << "slot " << slot;
  }
}

// Nothing unusual under the name blocks start-up or changes the table: no file, a folder, a
// named pipe with no writer, or a file that fails to read part-way, whose half-read line is
// not taken for a value.
TEST(SettingsFile, UnusualSourcesLeaveTheTableAlone) {
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
TEST(SettingsFile, LineEndSplitAcrossReads) {
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
