#include "system/atomic_file.h"

#include <gtest/gtest.h>

#include <chrono>

#include "../support/faults.h"
#include "../support/scratch_directory.h"
#include "../support/unprivileged.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
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

struct PathCase {
  const char* name;
  const char* path;      // UTF-8
  const char* contents;  // what the path holds afterwards, or null when the save must fail
  FileStep failedStep = FileStep::Create;
  std::errc reason = std::errc::no_such_file_or_directory;
};

void PrintTo(const PathCase& pathCase, std::ostream* out) {
  *out << pathCase.name;
}

class AtomicFilePaths : public testing::TestWithParam<PathCase> {};

TEST_P(AtomicFilePaths, SavesOrSaysWhy) {
  ScratchDirectory directory;
  fs::create_directory(Utf8Path("папка"));
  fs::create_directory("settings.ini");
  const PathCase& pathCase = GetParam();
  const std::optional<FileFailure> failure = ReplaceFileContents(Utf8Path(pathCase.path), "new");
  if (pathCase.contents != nullptr) {
    ASSERT_FALSE(failure.has_value()) << failure->reason.message();
    EXPECT_EQ(ScratchDirectory::Read(Utf8Path(pathCase.path)), pathCase.contents);
  } else {
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->step, pathCase.failedStep);
    EXPECT_EQ(failure->reason, pathCase.reason);
  }
  EXPECT_EQ(ScratchDirectory::Entries(Utf8Path("папка")).size(),
            pathCase.contents != nullptr && std::string_view(pathCase.path).starts_with("папка"));
  EXPECT_TRUE(fs::is_directory("settings.ini"));
}

INSTANTIATE_TEST_SUITE_P(
    Names, AtomicFilePaths,
    testing::Values(PathCase{"CyrillicNames", "папка/настройки.ini", "new"},
                    PathCase{"RelativeWithDots", "папка/../папка/./файл.ini", "new"},
                    PathCase{"MissingFolder", "нет/settings.ini", nullptr},
                    PathCase{"FolderUnderTheName", "settings.ini", nullptr, FileStep::Replace,
                             std::errc::is_a_directory}),
    [](const testing::TestParamInfo<PathCase>& info) { return std::string(info.param.name); });

// A file the user made read-only is refused, not replaced behind their back.
TEST(AtomicFile, ReadOnlyFileIsNotReplaced) {
  ScratchDirectory directory;
  ScratchDirectory::Write("settings.ini", "old");
  fs::permissions("settings.ini",
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const int result = RunUnprivileged([] {
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
  const int result = RunUnprivileged([] {
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

// A save killed half-way leaves the old file, and nothing else, in the folder.
TEST(AtomicFile, KilledWhileWritingLeavesOnlyTheOldFile) {
  ScratchDirectory directory;
  ScratchDirectory::Write("settings.ini", "old");
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  if (child == 0) {
    AtomicFile file("settings.ini");
    file.Write(std::string(1 << 20, 'n'));
    (void)!write(ready[1], "w", 1);
    pause();
    _exit(0);
  }
  char written = 0;
  ASSERT_EQ(read(ready[0], &written, 1), 1);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  close(ready[0]);
  close(ready[1]);
  EXPECT_EQ(ScratchDirectory::Read("settings.ini"), "old");
  EXPECT_EQ(ScratchDirectory::Entries(), Names{"settings.ini"});
}

#endif

}  // namespace
}  // namespace lettermorph
