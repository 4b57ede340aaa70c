#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <thread>

#include "../settings/scratch_directory.h"
#include "cli/command_line.h"
#include "version.h"

namespace lettermorph {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;  // the exit status, or 128 + the signal that ended the program
  std::string out;
  std::string err;
  long peakKiB = 0;
};

// Starts the program in the current directory with the given standard streams, in the C
// locale, after `prepare` has run in the child.
pid_t Start(const std::vector<std::string>& arguments, int in, int out, int err,
            const std::function<void()>& prepare = {}) {
  const pid_t child = fork();
  if (child == 0) {
    if (prepare) {
      prepare();
    }
    dup2(in, 0), dup2(out, 1), dup2(err, 2);
    setenv("LC_ALL", "C", 1);
    std::vector<char*> argv{const_cast<char*>(LETTERMORPH_CLI)};
    for (const std::string& argument : arguments) {
      argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    execv(LETTERMORPH_CLI, argv.data());
    _exit(127);
  }
  return child;
}

Outcome Wait(pid_t child) {
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  Outcome outcome;
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  outcome.peakKiB = usage.ru_maxrss;
  return outcome;
}

// Runs the program to its end; the streams go through files so that nothing can block.
Outcome RunCli(const std::vector<std::string>& arguments, const std::string& input = "",
               const std::function<void()>& prepare = {}) {
  const fs::path streams =
      fs::temp_directory_path() / ("lettermorph-cli-" + std::to_string(getpid()));
  fs::create_directory(streams);
  ScratchDirectory::Write(streams / "in", input);
  const int in = open((streams / "in").c_str(), O_RDONLY | O_CLOEXEC);
  const int out = open((streams / "out").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  const int err = open((streams / "err").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  Outcome outcome = Wait(Start(arguments, in, out, err, prepare));
  close(in), close(out), close(err);
  outcome.out = ScratchDirectory::Read(streams / "out");
  outcome.err = ScratchDirectory::Read(streams / "err");
  fs::remove_all(streams);
  return outcome;
}

int Temporaries() {
  int count = 0;
  for (const auto& entry : fs::directory_iterator(".")) {
    count += entry.path().filename().string().find(".tmp-") != std::string::npos;
  }
  return count;
}

// Line 8 of a settings file holds the replacement of "Ж".
std::string SettingsWithZhe(const std::string& zhe) {
  return "A\r\n6\r\nB\r\nr\r\nD\r\nE\r\nE\r\n" + zhe + "\r\n";
}

struct SourceCase {
  const char* name;
  std::vector<std::string> arguments;
  std::string expected;  // for "Жук"
};

void PrintTo(const SourceCase& sourceCase, std::ostream* out) {
  *out << sourceCase.name;
}

class TableSources : public testing::TestWithParam<SourceCase> {
 protected:
  ScratchDirectory directory_;
};

TEST_P(TableSources, ChooseTheReplacements) {
  ScratchDirectory::Write("settings.ini", SettingsWithZhe("ZH"));
  ScratchDirectory::Write("other.ini", SettingsWithZhe("Q"));
  const Outcome outcome = RunCli(GetParam().arguments, "Жук\n");
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, GetParam().expected + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, TableSources,
    testing::Values(SourceCase{"SettingsIniOverDesign", {}, "ZHyk"},
                    SourceCase{"NamedSettingsInstead", {"--settings", "other.ini"}, "Qyk"},
                    SourceCase{"PresetResetReadsNoFile", {"--preset", "reset"}, ">I<yK"},
                    SourceCase{"PresetDesignReadsNoFile", {"--preset=design"}, "}|{yk"},
                    SourceCase{"NamedSettingsOverPreset",
                               {"--preset", "reset", "--settings=other.ini"},
                               "QyK"}),
    [](const testing::TestParamInfo<SourceCase>& info) { return std::string(info.param.name); });

struct StatusCase {
  const char* name;
  std::vector<std::string> arguments;
  int status;
  std::string out;
  std::string inErr;  // a part of the message on standard error
};

void PrintTo(const StatusCase& statusCase, std::ostream* out) {
  *out << statusCase.name;
}

class ExitStatuses : public testing::TestWithParam<StatusCase> {
 protected:
  ScratchDirectory directory_;
};

TEST_P(ExitStatuses, ReportWhatHappened) {
  ScratchDirectory::Write("a.txt", "да ");
  ScratchDirectory::Write("b.txt", "нет");
  fs::create_directory("folder");
  const Outcome outcome = RunCli(GetParam().arguments, "Ёж");
  EXPECT_EQ(outcome.status, GetParam().status) << outcome.err;
  EXPECT_EQ(outcome.out, GetParam().out);
  EXPECT_NE(outcome.err.find(GetParam().inErr), std::string::npos) << outcome.err;
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, ExitStatuses,
    testing::Values(
        StatusCase{"DesignDefaultsWithoutSettingsIni", {}, 0, "E}|{", ""},
        StatusCase{"FilesAndDash", {"a.txt", "-", "--", "b.txt"}, 0, "gа E}|{HeT", ""},
        StatusCase{"UnreadableInputSkipped",
                   {"a.txt", "missing.txt", "folder", "b.txt"},
                   1,
                   "gа HeT",
                   "missing.txt"},
        StatusCase{"UnknownOption", {"--frobnicate", "a.txt"}, 2, "", "Usage:"},
        StatusCase{"UnknownPreset", {"--preset", "latin"}, 2, "", "Usage:"},
        StatusCase{"OptionWithoutValue", {"a.txt", "-o"}, 2, "", "Usage:"},
        StatusCase{"UnreadableSettings", {"--settings", "missing.ini"}, 2, "", "missing.ini"},
        StatusCase{"SettingsFolder", {"--settings", "folder"}, 2, "", "folder"},
        StatusCase{"FullDevice", {"-o", "/dev/full", "a.txt"}, 1, "", "/dev/full"},
        StatusCase{"Help", {"a.txt", "--help"}, 0, Usage("lettermorph-cli"), ""},
        StatusCase{"Version", {"--version"}, 0, "lettermorph-cli " LETTERMORPH_VERSION "\n", ""}),
    [](const testing::TestParamInfo<StatusCase>& info) { return std::string(info.param.name); });

TEST(Output, ReplacedOnlyWhenComplete) {
  ScratchDirectory directory;
  ScratchDirectory::Write("in.txt", "Жук");
  ScratchDirectory::Write("real.txt", "old");
  fs::create_symlink("real.txt", "link.txt");
  EXPECT_EQ(RunCli({"-o", "link.txt", "in.txt"}).status, 0);
  EXPECT_EQ(ScratchDirectory::Read("real.txt"), "}|{yk");
  EXPECT_TRUE(fs::is_symlink("link.txt"));

  EXPECT_EQ(RunCli({"--preset", "reset", "-oin.txt", "in.txt"}).status, 0);  // in place
  EXPECT_EQ(ScratchDirectory::Read("in.txt"), ">I<yK");

  // Past 1000 bytes every write fails, as on a full disk.
  const auto smallDisk = [] {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1000, 1000};
    setrlimit(RLIMIT_FSIZE, &limit);
  };
  const Outcome failed = RunCli({"-o", "real.txt"}, std::string(100'000, 'x'), smallDisk);
  EXPECT_EQ(failed.status, 1);
  EXPECT_NE(failed.err.find("real.txt"), std::string::npos) << failed.err;
  EXPECT_EQ(ScratchDirectory::Read("real.txt"), "}|{yk");
  EXPECT_EQ(Temporaries(), 0);
}

TEST(Output, InterruptionLeavesNoTemporary) {
  ScratchDirectory directory;
  int input[2];
  ASSERT_EQ(pipe2(input, O_CLOEXEC), 0);
  const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
  const pid_t child =
      Start({"-o", "out.txt"}, input[0], null, null, [] { std::signal(SIGTERM, SIG_DFL); });
  for (int wait = 0; wait < 500 && Temporaries() == 0; ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(Temporaries(), 1);
  kill(child, SIGTERM);
  EXPECT_EQ(Wait(child).status, 128 + SIGTERM);
  close(input[0]), close(input[1]), close(null);
  EXPECT_EQ(Temporaries(), 0);
  EXPECT_FALSE(fs::exists("out.txt"));
}

TEST(Output, ClosedPipeEndsTheProgram) {
  ScratchDirectory directory;
  ScratchDirectory::Write("big.txt", std::string(4 << 20, 'z'));
  int output[2];
  ASSERT_EQ(pipe2(output, O_CLOEXEC), 0);
  close(output[0]);
  const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
  const int err = open("err.txt", O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  const Outcome outcome = Wait(Start({"big.txt"}, in, output[1], err));
  close(output[1]), close(in), close(err);
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(ScratchDirectory::Read("err.txt").find("standard output"), std::string::npos);
}

// 64 MiB through a pipe: the program's peak memory is that of a small input.
TEST(Output, MemoryStaysFlatOnLargeInput) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer keeps memory of its own";
#else
  int input[2];
  ASSERT_EQ(pipe2(input, O_CLOEXEC), 0);
  const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
  const pid_t child = Start({}, input[0], null, null);
  close(input[0]);
  std::string block;
  while (block.size() < (1 << 20)) {
    block += "Съешь же ещё этих мягких французских булок, да выпей чаю.\n";
  }
  for (int i = 0; i < 64; ++i) {
    ASSERT_EQ(write(input[1], block.data(), block.size()), static_cast<ssize_t>(block.size()));
  }
  close(input[1]), close(null);
  const Outcome outcome = Wait(child);
  EXPECT_EQ(outcome.status, 0);
  EXPECT_LT(outcome.peakKiB, 16 * 1024);
#endif
}

}  // namespace
}  // namespace lettermorph
