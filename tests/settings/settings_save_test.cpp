#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "scratch_directory.h"
#include "settings/settings_file.h"

namespace lettermorph {
namespace {

// The whole file after Reset, written out by hand: 66 lines, every one ending in CR LF.
const std::string kResetImage =
    "A\r\n6\r\nB\r\nr\r\nD\r\nE\r\nE\r\n>I<\r\n3\r\nu\r\nu\r\n"
    "K\r\nJI\r\nM\r\nH\r\nO\r\nn\r\nP\r\nC\r\nT\r\nY\r\nF\r\n"
    "X\r\nu\r\n4\r\nW\r\nW\r\n\r\nbI\r\nb\r\nE\r\nI0\r\n9I\r\n"
    "a\r\n6\r\nB\r\nr\r\ng\r\ne\r\ne\r\n>I<\r\n3\r\nu\r\nu\r\n"
    "K\r\nJI\r\nm\r\nH\r\no\r\nn\r\np\r\nc\r\nT\r\ny\r\nf\r\n"
    "x\r\nu\r\n4\r\nw\r\nw\r\n\r\nbI\r\nb\r\ne\r\nI0\r\n9I\r\n";

class SettingsSave : public testing::Test {
 protected:
  ScratchDirectory directory_;
  SettingsFile file_{CodePage::Named("CP1251")};
  ReplacementTable table_;
};

TEST_F(SettingsSave, AfterResetWritesTheExact208ByteImage) {
  table_.ApplyResetDefaults();
  ASSERT_TRUE(file_.SaveSettings(table_).saved());
  EXPECT_EQ(ScratchDirectory::Read("settings.ini"), kResetImage);
  EXPECT_EQ(kResetImage.size(), 208u);
  EXPECT_EQ(directory_.EntryCount(), 1u) << "no temporary file left behind";
}

TEST_F(SettingsSave, EveryValueComesBackAfterAWindows1251RoundTrip) {
  ASSERT_TRUE(table_.SetReplacement(0, u"  spaced  "));
  ASSERT_TRUE(table_.SetReplacement(65, std::u16string(5000, u'Я')));
  ASSERT_TRUE(file_.SaveSettings(table_).saved());
  EXPECT_NE(ScratchDirectory::Read("settings.ini").find("\r\n\xE0\r\n6\r\n"), std::string::npos)
      << "the Cyrillic а of slot 33 is the single byte E0";
  ReplacementTable reloaded;
  reloaded.ApplyResetDefaults();
  file_.LoadSettings(reloaded);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    EXPECT_EQ(*reloaded.ReplacementAt(slot), *table_.ReplacementAt(slot)) << "slot " << slot;
  }
}

TEST_F(SettingsSave, ReplacesTheFileALinkPointsToAndKeepsItsPermissions) {
  std::filesystem::create_directory("real");
  ScratchDirectory::Write("real/target.ini", "old\r\n");
  chmod("real/target.ini", 0640);
  std::filesystem::create_symlink("real/target.ini", "settings.ini");
  table_.ApplyResetDefaults();
  ASSERT_TRUE(file_.SaveSettings(table_).saved());
  EXPECT_TRUE(std::filesystem::is_symlink("settings.ini"));
  EXPECT_EQ(ScratchDirectory::Read("real/target.ini"), kResetImage);
  struct stat info;
  ASSERT_EQ(stat("real/target.ini", &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(SettingsSave, FailureWhenTheNameIsADirectoryChangesNothing) {
  std::filesystem::create_directory("settings.ini");
  const SaveOutcome outcome = file_.SaveSettings(table_);
  ASSERT_FALSE(outcome.saved());
  EXPECT_EQ(outcome.failure->step, FileFailure::Step::Replace);
  EXPECT_EQ(outcome.failure->file, "settings.ini");
  EXPECT_TRUE(std::filesystem::is_directory("settings.ini"));
  EXPECT_EQ(directory_.EntryCount(), 1u);
}

// A file size limit makes the write itself fail half-way, as a full disk would.
TEST_F(SettingsSave, FailureHalfWayThroughTheWriteKeepsTheOldFile) {
  ScratchDirectory::Write("settings.ini", kResetImage);
  ASSERT_TRUE(table_.SetReplacement(0, std::u16string(100000, u'x')));
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit cap{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &cap);
    const SaveOutcome outcome = file_.SaveSettings(table_);
    _exit(!outcome.saved() && outcome.failure->step == FileFailure::Step::Write &&
                  outcome.failure->reason == std::errc::file_too_large
              ? 0
              : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  EXPECT_EQ(ScratchDirectory::Read("settings.ini"), kResetImage);
  EXPECT_EQ(directory_.EntryCount(), 1u);
}

}  // namespace
}  // namespace lettermorph
