#include <gtest/gtest.h>

#include "../support/scratch_directory.h"
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

TEST_F(SettingsSave, AfterResetWritesTheExactImage) {
  table_.ApplyResetDefaults();
  ASSERT_TRUE(file_.SaveSettings(table_).saved());
  EXPECT_EQ(ScratchDirectory::Read("settings.ini"), kResetImage);
  EXPECT_EQ(ScratchDirectory::Entries(), std::vector<std::string>{"settings.ini"});
}

// Values with spaces, Cyrillic and great length come back as they were; characters the code
// page lacks are written as "?" and their slots named.
TEST_F(SettingsSave, RoundTripInWindows1251) {
  ASSERT_TRUE(table_.SetReplacement(0, u"  spaced  "));
  ASSERT_TRUE(table_.SetReplacement(65, std::u16string(5000, u'Я')));
  SaveOutcome outcome = file_.SaveSettings(table_);
  ASSERT_TRUE(outcome.saved());
  EXPECT_TRUE(outcome.inexactSlots.empty());
  EXPECT_NE(ScratchDirectory::Read("settings.ini").find("\r\n\xE0\r\n6\r\n"), std::string::npos)
      << "the Cyrillic а of slot 33 is the single byte E0";
  ReplacementTable reloaded;
  reloaded.ApplyResetDefaults();
  file_.LoadSettings(reloaded);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    EXPECT_EQ(*reloaded.ReplacementAt(slot), *table_.ReplacementAt(slot)) << "slot " << slot;
  }

  ASSERT_TRUE(table_.SetReplacement(7, u"中"));
  ASSERT_TRUE(table_.SetReplacement(40, u"x\U0001F600"));
  outcome = file_.SaveSettings(table_);
  EXPECT_EQ(outcome.inexactSlots, (std::vector<int>{7, 40}));
  EXPECT_NE(ScratchDirectory::Read("settings.ini").find("\r\n?\r\n3\r\n"), std::string::npos);
  EXPECT_EQ(*table_.ReplacementAt(7), u"中") << "the table keeps what the file could not";
}

// A first replacement whose bytes in the code page are a byte order mark would make the file
// read back in another encoding, so that file is written in UTF-8 after a mark.
TEST_F(SettingsSave, FirstLineThatLooksLikeAByteOrderMarkIsSavedInUtf8) {
  const struct {
    const char* codePage;
    std::u16string first;
    std::string fileStart;
  } cases[] = {
      {"CP1251", u"яю", "\xEF\xBB\xBF\xD1\x8F\xD1\x8E\r\n6\r\n"},
      {"UTF-8", u"\uFEFFx", "\xEF\xBB\xBF\xEF\xBB\xBFx\r\n6\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.codePage);
    const SettingsFile file(CodePage::Named(c.codePage));
    ASSERT_TRUE(table_.SetReplacement(0, c.first));
    const SaveOutcome outcome = file.SaveSettings(table_);
    ASSERT_TRUE(outcome.saved());
    EXPECT_TRUE(outcome.inexactSlots.empty());
    EXPECT_TRUE(ScratchDirectory::Read("settings.ini").starts_with(c.fileStart));
    ReplacementTable reloaded;
    file.LoadSettings(reloaded);
    EXPECT_EQ(*reloaded.ReplacementAt(0), c.first);
  }
}

}  // namespace
}  // namespace lettermorph
