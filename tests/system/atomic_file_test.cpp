#include "system/atomic_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <tuple>

#include "../support/faults.h"
#include "../support/scratch_directory.h"
#include "../support/unprivileged.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace lettermorph {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

class AtomicFileSteps : public testing::TestWithParam<FileStep> {
 protected:
  ScratchDirectory directory_;
};

// Whichever step fails, the caller hears which and why, the old file keeps every byte, and
// no temporary file stays behind; without an old file, none appears.
TEST_P(AtomicFileSteps, FailureKeepsTheOldFileAndLeavesNothingElse) {
  ScratchDirectory::Write("kept.ini", "old contents\r\n");
  for (const char* name : {"kept.ini", "new.ini"}) {
    const std::optional<FileFailure> failure =
        ReplaceFileContents(name, "new contents", FailAt(GetParam(), std::errc::io_error));
    ASSERT_TRUE(failure.has_value()) << name;
    EXPECT_EQ(failure->step, GetParam());
    EXPECT_EQ(failure->reason, std::errc::io_error);
    EXPECT_EQ(failure->file, name);
  }
  EXPECT_EQ(ScratchDirectory::Read("kept.ini"), "old contents\r\n");
  EXPECT_EQ(ScratchDirectory::Entries(), Names{"kept.ini"});
}

std::string StepName(const testing::TestParamInfo<FileStep>& info) {
  constexpr const char* kNames[] = {"Read", "Create", "Write", "Sync", "Flush", "Replace"};
  return kNames[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(EveryStep, AtomicFileSteps,
                         testing::Values(FileStep::Create, FileStep::Write, FileStep::Sync,
                                         FileStep::Flush, FileStep::Replace),
                         StepName);

// Names in Cyrillic and relative ones through "..": saved; a missing folder, or a folder under
// the name: refused, and said why.
TEST(AtomicFile, NamesThatSaveAndNamesThatCannot) {
  ScratchDirectory directory;
  fs::create_directory(Utf8Path("папка"));
  fs::create_directory("settings.ini");
  for (const char* path : {"папка/настройки.ini", "папка/../папка/./файл.ini"}) {
    ASSERT_FALSE(ReplaceFileContents(Utf8Path(path), "new").has_value()) << path;
    EXPECT_EQ(ScratchDirectory::Read(Utf8Path(path)), "new");
  }
  const std::tuple<const char*, FileStep, std::errc> refused[] = {
      {"нет/settings.ini", FileStep::Create, std::errc::no_such_file_or_directory},
      {"settings.ini", FileStep::Replace, std::errc::is_a_directory}};
  for (const auto& [path, step, reason] : refused) {
    const std::optional<FileFailure> failure = ReplaceFileContents(Utf8Path(path), "new");
    ASSERT_TRUE(failure.has_value()) << path;
    EXPECT_EQ(failure->step, step);
    EXPECT_EQ(failure->reason, reason);
  }
  EXPECT_EQ(ScratchDirectory::Entries(Utf8Path("папка")), (Names{"настройки.ini", "файл.ini"}));
  EXPECT_TRUE(fs::is_directory("settings.ini"));
}

// A file the user made read-only is refused, not replaced behind their back.
TEST(AtomicFile, ReadOnlyFileIsNotReplaced) {
  ScratchDirectory directory;
  ScratchDirectory::Write("settings.ini", "old");
  fs::permissions("settings.ini",
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const std::optional<int> result = RunUnprivileged([] {
    const std::optional<FileFailure> failure = ReplaceFileContents("settings.ini", "new");
    return failure && failure->step == FileStep::Replace &&
                   failure->reason == std::errc::permission_denied
               ? 0
               : 1;
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ScratchDirectory::Read("settings.ini"), "old");
  EXPECT_EQ(fs::status("settings.ini").permissions() & fs::perms::owner_write, fs::perms::none);
  EXPECT_EQ(ScratchDirectory::Entries(), Names{"settings.ini"});
}

TEST(AtomicFile, StaleTemporariesGoAfterADay) {
  ScratchDirectory directory;
  const auto twoDaysAgo = fs::file_time_type::clock::now() - std::chrono::hours(48);
  for (const char* name : {"settings.ini.tmp-0ld4b1t5", "settings.ini.tmp-fresh123",
                           "settings.ini.tmp-toolong12", "other.ini.tmp-0ld4b1t5"}) {
    ScratchDirectory::Write(name, "left by a crash");
    if (std::string_view(name) != "settings.ini.tmp-fresh123") {
      fs::last_write_time(name, twoDaysAgo);
    }
  }
  ASSERT_FALSE(ReplaceFileContents("settings.ini", "new").has_value());
  EXPECT_EQ(ScratchDirectory::Entries(),
            (Names{"other.ini.tmp-0ld4b1t5", "settings.ini", "settings.ini.tmp-fresh123",
                   "settings.ini.tmp-toolong12"}));
}

#ifdef _WIN32

// Another program holding the file open without sharing it stops the replacement.
TEST(AtomicFile, FileHeldOpenElsewhereIsReportedAndKept) {
  ScratchDirectory directory;
  ScratchDirectory::Write("settings.ini", "old");
  const HANDLE held = CreateFileW(L"settings.ini", GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const std::optional<FileFailure> failure = ReplaceFileContents("settings.ini", "new");
  CloseHandle(held);
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->step, FileStep::Replace);
  EXPECT_EQ(ScratchDirectory::Read("settings.ini"), "old");
  EXPECT_EQ(ScratchDirectory::Entries(), Names{"settings.ini"});
}

#else

TEST(AtomicFile, ReplacesTheFileALinkPointsToAndKeepsItsMode) {
  ScratchDirectory directory;
  fs::create_directory("real");
  ScratchDirectory::Write("real/target.ini", "old");
  chmod("real/target.ini", 0640);
  fs::create_symlink("real/target.ini", "settings.ini");
  ASSERT_FALSE(ReplaceFileContents("settings.ini", "new").has_value());
  EXPECT_TRUE(fs::is_symlink("settings.ini"));
  EXPECT_EQ(ScratchDirectory::Read("real/target.ini"), "new");
  struct stat info {};
  ASSERT_EQ(stat("real/target.ini", &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(ScratchDirectory::Entries("real"), Names{"target.ini"});
}

// A writable file in a folder the user may not write is rewritten where it is, since no new
// file can be made beside it; a failure there is reported like any other.
TEST(AtomicFile, UnwritableFolderRewritesAWritableFileInPlace) {
  ScratchDirectory directory;
  fs::create_directory("locked");
  ScratchDirectory::Write("locked/settings.ini", "old, and longer than the new contents");
  chmod("locked/settings.ini", 0666);
  chmod("locked", 0555);
  const std::optional<int> result = RunUnprivileged([] {
    if (ReplaceFileContents("locked/settings.ini", "new").has_value() ||
        ScratchDirectory::Read("locked/settings.ini") != "new") {
      return 1;
    }
    const auto failure =
        ReplaceFileContents("locked/settings.ini", "newer", FailAt(FileStep::Sync));
    return failure && failure->step == FileStep::Sync && !failure->oldFileKept ? 0 : 2;
  });
  chmod("locked", 0755);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ScratchDirectory::Entries("locked"), Names{"settings.ini"});
}

#endif

}  // namespace
}  // namespace lettermorph
