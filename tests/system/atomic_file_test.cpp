#include "system/atomic_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <tuple>

#include "../support/faults.h"
#include "../support/scratch_directory.h"
#include "../support/unprivileged.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include "../support/forked_child.h"
#endif

namespace lettermorph {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// A name in Cyrillic through "..": saved. A missing folder, a folder under the name, or a file
// the user made read-only: refused, and said why, whoever runs the program: root too, who may
// write any file. Nothing refused is replaced behind the user's back.
TEST(AtomicFile, NamesThatSaveAndNamesThatCannot) {
  ScratchDirectory directory;
  fs::create_directory(Utf8Path("папка"));
  fs::create_directory("settings.ini");
  ScratchDirectory::Write("read-only.ini", "old");
  fs::permissions("read-only.ini",
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const fs::path saved = Utf8Path("папка/../папка/./файл.ini");
  ASSERT_FALSE(ReplaceFileContents(saved, "new").has_value());
  EXPECT_EQ(ScratchDirectory::Read(saved), "new");
  // The number of the first row refused otherwise than it should be, or 0.
  const auto firstWrongRow = [] {
    const std::tuple<const char*, FileStep, std::errc> refused[] = {
        {"нет/settings.ini", FileStep::Create, std::errc::no_such_file_or_directory},
        {"settings.ini", FileStep::Replace, std::errc::is_a_directory},
        {"read-only.ini", FileStep::Replace, std::errc::permission_denied}};
    for (int row = 0; row < 3; ++row) {
      const auto& [path, step, reason] = refused[row];
      const std::optional<FileFailure> failure = ReplaceFileContents(Utf8Path(path), "new");
      if (!failure || failure->step != step || failure->reason != reason) {
        return row + 1;
      }
    }
    return 0;
  };
  EXPECT_EQ(firstWrongRow(), 0);
  EXPECT_EQ(RunUnprivileged(firstWrongRow), 0);
  EXPECT_EQ(ScratchDirectory::Read("read-only.ini"), "old");
  EXPECT_EQ(fs::status("read-only.ini").permissions() & fs::perms::owner_write, fs::perms::none);
  EXPECT_EQ(ScratchDirectory::Entries(), (Names{"read-only.ini", "settings.ini", "папка"}));
  EXPECT_EQ(ScratchDirectory::Entries(Utf8Path("папка")), Names{"файл.ini"});
  EXPECT_TRUE(fs::is_directory("settings.ini"));
}

// What a killed save left beside the file goes after a day. Nothing else does, however its
// name looks: a dated backup, another file's temporary file, or one of an older version; and
// where the system has them, a link, a folder, or another user's file.
TEST(AtomicFile, OnlyOwnStaleTemporariesGo) {
  ScratchDirectory directory;
  Names kept = {"other.ini.lettermorph-tmp-0ld4b1t5",
                "settings.ini",
                "settings.ini.lettermorph-tmp-fresh123",
                "settings.ini.lettermorph-tmp-toolong12",
                "settings.ini.tmp-0ld4b1t5",
                "settings.ini.tmp-20240115"};
  for (const std::string& name : kept) {
    ScratchDirectory::Write(name, "left by a crash");
  }
  ScratchDirectory::Write("settings.ini.lettermorph-tmp-0ld4b1t5", "left by a crash");
#ifndef _WIN32
  ScratchDirectory::Write("victim.txt", "someone's");
  fs::create_symlink("victim.txt", "settings.ini.lettermorph-tmp-l1nk0000");
  fs::create_directory("settings.ini.lettermorph-tmp-f01der00");
  kept.insert(kept.end(), {"settings.ini.lettermorph-tmp-f01der00",
                           "settings.ini.lettermorph-tmp-l1nk0000", "victim.txt"});
  if (geteuid() == 0) {
    ScratchDirectory::Write("settings.ini.lettermorph-tmp-n0b0dy00", "another user's");
    ASSERT_EQ(chown("settings.ini.lettermorph-tmp-n0b0dy00", 65534, 65534), 0);
    kept.push_back("settings.ini.lettermorph-tmp-n0b0dy00");
  }
#endif
  // Two days old, the link itself as well as what it points to.
  for (const std::string& name : ScratchDirectory::Entries()) {
    if (name != "settings.ini.lettermorph-tmp-fresh123") {
#ifdef _WIN32
      fs::last_write_time(name, fs::file_time_type::clock::now() - std::chrono::hours(48));
#else
      const timespec twoDaysAgo{time(nullptr) - 48 * 3600, 0};
      const timespec times[] = {twoDaysAgo, twoDaysAgo};
      ASSERT_EQ(utimensat(AT_FDCWD, name.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << name;
#endif
    }
  }
  ASSERT_FALSE(ReplaceFileContents("settings.ini", "new").has_value());
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(ScratchDirectory::Entries(), kept);
#ifndef _WIN32
  EXPECT_EQ(ScratchDirectory::Read("victim.txt"), "someone's");
#endif
}

// Property: a fault in each step in turn, with random contents, for each way of writing, with
// and without an old file. Whatever fails, the caller hears which step and why; the file holds
// its old bytes or the whole new contents, and nothing is left beside it. Only a failure of
// the overwrite in place leaves anything else, and the failure says so.
class AtomicFileWays : public testing::TestWithParam<WriteWay> {
 protected:
  ScratchDirectory directory_;
};

TEST_P(AtomicFileWays, FaultInAnyStepLeavesTheOldFileOrTheNewOne) {
  std::mt19937 random(20 + static_cast<int>(GetParam()));
  const auto bytes = [&random](std::size_t most) {
    std::string text(random() % (most + 1), '\0');
    std::generate(text.begin(), text.end(), std::ref(random));
    return text;
  };
  const std::errc reasons[] = {std::errc::io_error, std::errc::no_space_on_device};
  std::map<FileLeft, int> outcomes;
  using enum FileStep;
  constexpr FileStep kSteps[] = {Create, Write, Sync, Flush, Reserve, Replace};
  std::set<FileStep> failedSteps;
  for (int run = 0; run < 72; ++run) {
    SCOPED_TRACE(run);
    // Old and new contents up to 600 KiB, so that an overwrite takes several pieces.
    const bool hadFile = run % 4 != 0;
    const std::string old = bytes(600 * 1024);
    const std::string fresh = bytes(600 * 1024);
    if (hadFile) {
      ScratchDirectory::Write("out.bin", old);
    }
    // The fault, at the step's only run, or for one run in pieces at one of its first four.
    const FileStep target = kSteps[run % std::size(kSteps)];
    const int occurrence = target == Write || target == Replace ? 1 + int(random() % 4) : 1;
    std::optional<FileFailure> injected;
    AtomicFile file("out.bin", Forced(GetParam(), [&, seen = 0](FileStep step) mutable {
                      if (step != target || ++seen != occurrence) {
                        return std::error_code();
                      }
                      injected = {step, "out.bin", std::make_error_code(reasons[random() % 2])};
                      return injected->reason;
                    }));
    for (std::size_t at = 0; at < fresh.size();) {
      const std::size_t piece = std::min<std::size_t>(fresh.size() - at, random() % 200'000);
      file.Write(std::string_view(fresh).substr(at, piece));
      at += piece;
    }
    file.Commit();

    const std::string now = ScratchDirectory::Read("out.bin");
    const std::optional<FileFailure>& failure = file.Failure();
    // Only the refusal that forces a rewrite in place fails a save without a fault.
    ASSERT_EQ(failure.has_value(),
              injected.has_value() || (GetParam() == WriteWay::InPlace && !hadFile));
    if (injected) {
      EXPECT_EQ(failure->step, injected->step);
      EXPECT_EQ(failure->reason, injected->reason);
      EXPECT_EQ(failure->file, injected->file);
      failedSteps.insert(failure->step);
    }
    if (!failure) {
      EXPECT_TRUE(now == fresh) << "not the new contents";
    } else if (failure->left == FileLeft::Old) {
      EXPECT_EQ(fs::exists("out.bin"), hadFile);
      EXPECT_TRUE(now == (hadFile ? old : "")) << "not the old contents";
    } else {
      EXPECT_EQ(GetParam(), WriteWay::InPlace);
      if (failure->left == FileLeft::NewUnsynced) {
        EXPECT_TRUE(now == fresh) << "not the new contents";
      } else {
        EXPECT_EQ(failure->step, FileStep::Replace);
      }
    }
    outcomes[failure ? failure->left : FileLeft::NewUnsynced] += failure ? 1 : 0;
    EXPECT_EQ(ScratchDirectory::Entries(), hadFile || !failure ? Names{"out.bin"} : Names{});
    fs::remove("out.bin");
  }
  EXPECT_GT(outcomes[FileLeft::Old], 0);
  if (GetParam() == WriteWay::InPlace) {
    EXPECT_GT(outcomes[FileLeft::Damaged], 0) << "no overwrite failed part-way";
    EXPECT_EQ(failedSteps, (std::set{Create, Write, Sync, Flush, Reserve, Replace}));
  } else {
    EXPECT_EQ(failedSteps, (std::set{Create, Write, Sync, Flush, Replace}));
  }
}

std::string WayName(const testing::TestParamInfo<WriteWay>& info) {
  constexpr const char* kNames[] = {"Unnamed", "Named", "InPlace"};
  return kNames[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(EachWay, AtomicFileWays,
                         testing::Values(WriteWay::Unnamed, WriteWay::Named, WriteWay::InPlace),
                         WayName);

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

TEST(AtomicFile, ReplacesTheFileALinkPointsTo) {
  ScratchDirectory directory;
  fs::create_directory("real");
  ScratchDirectory::Write("real/target.ini", "old");
  fs::create_symlink("real/target.ini", "settings.ini");
  ASSERT_FALSE(ReplaceFileContents("settings.ini", "new").has_value());
  EXPECT_TRUE(fs::is_symlink("settings.ini"));
  EXPECT_EQ(ScratchDirectory::Read("real/target.ini"), "new");
  EXPECT_EQ(ScratchDirectory::Entries("real"), Names{"target.ini"});
}

// On a full disk a save fails, says why, and leaves the old file whole with nothing beside
// it, whichever way the file is written; in place, the room is made before a byte is changed.
// The disk is a small file system that a child process alone sees and takes along when it
// ends, so that filling it fills nothing else and leaves no mount behind.
TEST(AtomicFile, FullDiskKeepsTheOldFile) {
  ScratchDirectory directory;
  fs::create_directory("disk");
  constexpr int kCannotMount = 126;
  for (const WriteWay way : {WriteWay::Unnamed, WriteWay::Named, WriteWay::InPlace}) {
    const int status = RunInChild([way] {
      if (unshare(CLONE_NEWNS) != 0 ||
          mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
          mount("tmpfs", "disk", "tmpfs", 0, "size=128k,mode=0777") != 0) {
        return kCannotMount;
      }
      const std::string old(20'000, 'o');
      ScratchDirectory::Write("disk/settings.ini", old);
      // Up to the disk's last byte.
      const int filler = open("disk/filler", O_WRONLY | O_CREAT, 0644);
      for (std::size_t size = 4096; size > 0; size /= 2) {
        while (write(filler, old.data(), size) == static_cast<ssize_t>(size)) {
        }
      }
      const std::optional<FileFailure> failure =
          ReplaceFileContents("disk/settings.ini", std::string(40'000, 'n'), Forced(way));
      if (!failure || failure->reason != std::errc::no_space_on_device) {
        return 1;
      }
      if (failure->left != FileLeft::Old || ScratchDirectory::Read("disk/settings.ini") != old) {
        return 2;
      }
      return ScratchDirectory::Entries("disk") == Names{"filler", "settings.ini"} ? 0 : 3;
    });
    if (status == kCannotMount) {
      GTEST_SKIP() << "no small file system can be mounted here: run the tests as root";
    }
    EXPECT_EQ(status, 0) << "way " << static_cast<int>(way);
  }
}

// A new file that has a name while it is written is private to its owner until it is whole,
// then takes the old file's permissions; a file that did not exist takes those of any new file.
TEST(AtomicFile, NewFileIsPrivateUntilItIsWhole) {
  ScratchDirectory directory;
  const mode_t mask = umask(022);
  ScratchDirectory::Write("shared.txt", "old");
  chmod("shared.txt", 0640);
  mode_t whileWritten = 0;
  const auto look = [&whileWritten](FileStep step) {
    struct stat info {};
    const std::string temporary = ScratchDirectory::Entries().back();
    if (step == FileStep::Write && stat(temporary.c_str(), &info) == 0) {
      whileWritten = info.st_mode & 0777;
    }
    return std::error_code();
  };
  ASSERT_FALSE(ReplaceFileContents("shared.txt", "new", Forced(WriteWay::Named, look)));
  ASSERT_FALSE(ReplaceFileContents("new.txt", "new", Forced(WriteWay::Named)));
  umask(mask);
  EXPECT_EQ(whileWritten, 0600u);
  struct stat info {};
  ASSERT_EQ(stat("shared.txt", &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  ASSERT_EQ(stat("new.txt", &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
}

// A signal that ends the program while the new file has a name removes it, whichever way the
// file is written and whichever the signal: the old file stays, and nothing beside it.
TEST(AtomicFile, SignalThatEndsTheProgramRemovesTheNewFile) {
  ScratchDirectory directory;
  ScratchDirectory::Write("out.txt", "old");
  for (const WriteWay way : {WriteWay::Unnamed, WriteWay::Named}) {
    for (const int signal :
         {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGALRM, SIGPIPE, SIGXFSZ, SIGRTMIN}) {
      SCOPED_TRACE(testing::Message() << "way " << static_cast<int>(way) << ", signal " << signal);
      constexpr int kNoTemporaryName = 3;
      const int status = RunInChild([way, signal] {
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        ::signal(SIGPIPE, SIG_DFL);
        // Comes at the last step before the new file takes the old one's place, when it has
        // its temporary name whichever way it was made.
        AtomicFile file("out.txt", Forced(way, [signal](FileStep step) {
                          if (step == FileStep::Flush) {
                            if (ScratchDirectory::Entries().size() != 2) {
                              _exit(kNoTemporaryName);
                            }
                            raise(signal);
                          }
                          return std::error_code();
                        }));
        file.Write("new");
        file.Commit();
        return 0;
      });
      EXPECT_EQ(status, 128 + signal);
      EXPECT_EQ(ScratchDirectory::Entries(), Names{"out.txt"});
      EXPECT_EQ(ScratchDirectory::Read("out.txt"), "old");
    }
  }
}

// A signal the program handles itself, with a handler that returns, as a timer's does, ends
// nothing: the new file keeps its temporary name and takes the old one's place.
TEST(AtomicFile, SignalThatTheProgramHandlesLeavesTheSaveAlone) {
  ScratchDirectory directory;
  for (const WriteWay way : {WriteWay::Unnamed, WriteWay::Named}) {
    ScratchDirectory::Write("out.txt", "old");
    const int status = RunInChild([way] {
      void (*const handler)(int) = [](int) {};
      ::signal(SIGALRM, handler);
      const auto interrupt = [](FileStep step) {
        if (step == FileStep::Flush) {
          raise(SIGALRM);
        }
        return std::error_code();
      };
      return ReplaceFileContents("out.txt", "new", Forced(way, interrupt)) ? 1 : 0;
    });
    EXPECT_EQ(status, 0) << "way " << static_cast<int>(way);
    EXPECT_EQ(ScratchDirectory::Entries(), Names{"out.txt"});
    EXPECT_EQ(ScratchDirectory::Read("out.txt"), "new");
  }
}

// A signal that arrives while a file is overwritten in place ends the program only once the
// file holds the whole new contents, never part of them.
TEST(AtomicFile, SignalDuringTheOverwriteInPlaceWaitsForItsEnd) {
  ScratchDirectory directory;
  ScratchDirectory::Write("out.txt", std::string(600'000, 'o'));
  const int status = RunInChild([] {
    // Asked before each piece is copied over the old file: the signal comes once one is.
    const auto interruptPartWay = [asked = 0](FileStep step) mutable {
      if (step == FileStep::Replace && ++asked == 3) {
        raise(SIGTERM);
      }
      return std::error_code();
    };
    ReplaceFileContents("out.txt", std::string(600'000, 'n'),
                        Forced(WriteWay::InPlace, interruptPartWay));
    return 0;
  });
  EXPECT_EQ(status, 128 + SIGTERM);
  EXPECT_TRUE(ScratchDirectory::Read("out.txt") == std::string(600'000, 'n'))
      << "not the new contents";
}

#endif

}  // namespace
}  // namespace lettermorph
