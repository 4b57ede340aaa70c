#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <functional>

#include "../settings/scratch_directory.h"
#include "version.h"

namespace lettermorph {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;  // the exit status, or 128 + the signal that ended the program
  std::string out;
  std::string err;
};

// Runs the program in the current directory and the C locale, after `prepare` has run in the
// child, with standard output either a file or the descriptor `out`.
Outcome RunCli(const std::vector<std::string>& arguments, const std::string& input = "",
               const std::function<void()>& prepare = {}, int out = -1) {
  ScratchDirectory::Write(".in", input);
  const pid_t child = fork();
  if (child == 0) {
    if (prepare) {
      prepare();
    }
    dup2(open(".in", O_RDONLY), 0);
    dup2(out >= 0 ? out : open(".out", O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
    dup2(open(".err", O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
    setenv("LC_ALL", "C", 1);
    std::vector<char*> argv{const_cast<char*>(LETTERMORPH_CLI)};
    for (const std::string& argument : arguments) {
      argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    execv(LETTERMORPH_CLI, argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  Outcome outcome{WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
                  ScratchDirectory::Read(".out"), ScratchDirectory::Read(".err")};
  fs::remove(".in"), fs::remove(".out"), fs::remove(".err");
  return outcome;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Line 8 of a settings file holds the replacement of "Ж".
std::string SettingsWithZhe(const std::string& zhe) {
  return "A\r\n6\r\nB\r\nr\r\nD\r\nE\r\nE\r\n" + zhe + "\r\n";
}

TEST(LettermorphCli, TableComesFromSettingsIniAFileOrAPreset) {
  ScratchDirectory directory;
  EXPECT_EQ(RunCli({}, "Жук").out, "}|{yk") << "the design set when there is no settings.ini";
  ScratchDirectory::Write("settings.ini", SettingsWithZhe("ZH"));
  ScratchDirectory::Write("other.ini", SettingsWithZhe("Q"));
  EXPECT_EQ(RunCli({}, "Жук").out, "ZHyk");
  EXPECT_EQ(RunCli({"--settings", "other.ini"}, "Жук").out, "Qyk");
  EXPECT_EQ(RunCli({"--preset", "reset"}, "Жук").out, ">I<yK");
  EXPECT_EQ(RunCli({"--preset", "reset", "--settings=other.ini"}, "Жук").out, "QyK");
}

TEST(LettermorphCli, ExitStatusesAndMessages) {
  ScratchDirectory directory;
  ScratchDirectory::Write("a.txt", "да ");
  ScratchDirectory::Write("b.txt", "нет");
  Outcome outcome = RunCli({"a.txt", "-", "--", "b.txt"}, "Ёж");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out, "g\u0430 E}|{HeT");

  outcome = RunCli({"a.txt", "missing.txt", "b.txt"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, "g\u0430 HeT") << "the other inputs are still recoded";
  EXPECT_TRUE(Contains(outcome.err, "missing.txt")) << outcome.err;

  outcome = RunCli({"--frobnicate", "a.txt"});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_TRUE(outcome.out.empty() && Contains(outcome.err, "Usage:")) << outcome.err;
  outcome = RunCli({"--settings", "missing.ini"});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_TRUE(Contains(outcome.err, "missing.ini")) << outcome.err;
  outcome = RunCli({"-o", "/dev/full", "a.txt"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_TRUE(Contains(outcome.err, "/dev/full")) << outcome.err;
  EXPECT_EQ(RunCli({"--version"}).out, "lettermorph-cli " LETTERMORPH_VERSION "\n");
}

TEST(LettermorphCli, OutputIsReplacedOnlyWhenComplete) {
  ScratchDirectory directory;
  ScratchDirectory::Write("in.txt", "Жук");
  ScratchDirectory::Write("real.txt", "old");
  fs::create_symlink("real.txt", "link.txt");
  EXPECT_EQ(RunCli({"-o", "link.txt", "in.txt"}).status, 0);
  EXPECT_EQ(ScratchDirectory::Read("real.txt"), "}|{yk");
  EXPECT_TRUE(fs::is_symlink("link.txt"));

  // Past 1000 bytes every write fails, as on a full disk.
  const auto smallDisk = [] {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1000, 1000};
    setrlimit(RLIMIT_FSIZE, &limit);
  };
  const Outcome failed = RunCli({"-o", "real.txt"}, std::string(100'000, 'x'), smallDisk);
  EXPECT_EQ(failed.status, 1);
  EXPECT_TRUE(Contains(failed.err, "real.txt")) << failed.err;
  EXPECT_EQ(ScratchDirectory::Read("real.txt"), "}|{yk");
  EXPECT_EQ(directory.EntryCount(), 3u) << "no temporary file left behind";
}

// The system's Russian dictionary puts back the vanished "А", the "ъ" and the "ё"; without a
// dictionary the same text is still decoded, less well, with one warning for all inputs.
TEST(LettermorphCli, DecodeWithAndWithoutTheDictionary) {
  ScratchDirectory directory;
  const std::string lookAlike =
      "JIekceu o69IBuJI, 4To mocT 6ygeT roToB eIILe k oceHu. See https://example.com\n";
  ScratchDirectory::Write("a.txt", lookAlike);
  Outcome outcome = RunCli({"--decode", "--preset", "design", "a.txt"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out,
            "Алексей объявил, что мост будет готов ещё к осени. See https://example.com\n");
  EXPECT_EQ(outcome.err, "");

  outcome =
      RunCli({"-d", "--dictionary", "missing/ru_RU", "--preset=design", "a.txt", "-"}, "6ygeT");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out,
            "Лексей обявил, что мост будет готов еще к осени. See https://example.com\n"
            "Будет");
  EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
  EXPECT_TRUE(Contains(outcome.err, "missing/ru_RU.dic")) << outcome.err;
  EXPECT_TRUE(Contains(outcome.err, "less accurately")) << outcome.err;
}

TEST(LettermorphCli, ClosedPipeEndsTheProgram) {
  ScratchDirectory directory;
  int pipe[2];
  ASSERT_EQ(pipe2(pipe, O_CLOEXEC), 0);
  close(pipe[0]);
  const Outcome outcome = RunCli({}, std::string(4 << 20, 'z'), {}, pipe[1]);
  close(pipe[1]);
  EXPECT_EQ(outcome.status, 1);
  EXPECT_TRUE(Contains(outcome.err, "standard output")) << outcome.err;
}

}  // namespace
}  // namespace lettermorph
