#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "../support/child_process.h"
#include "../support/faults.h"
#include "../support/scratch_directory.h"
#include "cli/program.h"
#include "version.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include "../support/forked_child.h"
#include "../support/unprivileged.h"
#endif

namespace lettermorph {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// The decoder keeps its word index in the user's cache folder: here, one in the test's own
// directory, which goes with it.
void UseCacheHere() {
#ifdef _WIN32
  _wputenv_s(L"LOCALAPPDATA", (fs::current_path() / "cache").c_str());
#else
  setenv("XDG_CACHE_HOME", (fs::current_path() / "cache").c_str(), 1);
#endif
}

ChildProcess::Outcome RunCli(const std::vector<std::string>& arguments,
                             const std::string& input = "") {
  UseCacheHere();
  return ChildProcess::Run(LETTERMORPH_CLI, arguments, input);
}

// Text the program writes through the C library: Windows ends its lines with CR LF.
#ifdef _WIN32
constexpr const char* kLineEnd = "\r\n";
constexpr const char* kNullDevice = "NUL";
#else
constexpr const char* kLineEnd = "\n";
constexpr const char* kNullDevice = "/dev/null";
#endif

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Line 8 of a settings file holds the replacement of "Ж".
std::string SettingsWithZhe(const std::string& zhe) {
  return "A\r\n6\r\nB\r\nr\r\nD\r\nE\r\nE\r\n" + zhe + "\r\n";
}

// What each option that --help shows does; how they may be written is the parser's own
// concern. Without options the design set applies, with settings.ini read over it when there
// is one.
TEST(LettermorphCli, WhatEachOptionDoes) {
  ScratchDirectory directory;
  EXPECT_EQ(RunCli({}, "Жук").out, "}|{yk");
  ScratchDirectory::Write("settings.ini", SettingsWithZhe("ZH"));
  ScratchDirectory::Write("other.ini", SettingsWithZhe("Q"));
  ScratchDirectory::Write("-dash.txt", "ё");
  const std::pair<Names, std::string> toStandardOutput[] = {
      {{}, "ZHyk"},
      {{"--preset", "reset", "--settings=other.ini"}, "QyK"},
      {{"--preset", "reset"}, ">I<yK"},
      {{"--preset=design"}, "}|{yk"},
      {{"--settings", "other.ini"}, "Qyk"},
      {{"-o", "-"}, "ZHyk"},
      {{"-", "--", "-dash.txt"}, "ZHyke"},
  };
  for (const auto& [arguments, expected] : toStandardOutput) {
    EXPECT_EQ(RunCli(arguments, "Жук").out, expected) << arguments.size();
  }
  EXPECT_EQ(RunCli({"--output=out.txt"}, "Жук").out, "");
  EXPECT_EQ(ScratchDirectory::Read("out.txt"), "ZHyk");
  EXPECT_TRUE(RunCli({"-h"}).out.starts_with("Usage: lettermorph-cli"));
  EXPECT_EQ(RunCli({"--version"}).out,
            std::string("lettermorph-cli " LETTERMORPH_VERSION) + kLineEnd);
}

// A command line the parser refuses, and settings that cannot be read: a folder or a device
// would read as an empty file, and the design set would be used without a word. Systems give
// different reasons for the device.
TEST(LettermorphCli, WrongCommandLinesExitWithTwo) {
  ScratchDirectory directory;
  fs::create_directory("folder.ini");
  const std::pair<Names, std::string> refused[] = {
      {{"--frobnicate"}, "unknown option --frobnicate"},
      {{"--settings", "missing.ini"}, "missing.ini"},
      {{"--settings", "folder.ini"}, "folder.ini: not a regular file"},
      {{"--settings", kNullDevice}, std::string(kNullDevice) + ": "},
  };
  for (const auto& [arguments, message] : refused) {
    const ChildProcess::Outcome outcome = RunCli(arguments, "Жук");
    EXPECT_EQ(outcome.status, 2) << message;
    EXPECT_EQ(outcome.out, "") << message;
    EXPECT_TRUE(Contains(outcome.err, message)) << outcome.err;
  }
}

// Without -o the other inputs are still recoded; with -o the old file is kept whole rather
// than replaced by a text with a part missing.
TEST(LettermorphCli, UnreadableInputs) {
  ScratchDirectory directory;
  ScratchDirectory::Write("a.txt", "да ");
  ScratchDirectory::Write("b.txt", "нет");
  fs::create_directory("folder");
  ChildProcess::Outcome outcome = RunCli({"a.txt", "missing.txt", "b.txt"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, "g\u0430 HeT");
  EXPECT_TRUE(Contains(outcome.err, "missing.txt")) << outcome.err;

  ScratchDirectory::Write("out.txt", "OLD\n");
  for (const Names& arguments :
       {Names{"-o", "out.txt", "a.txt", "missing.txt"}, Names{"-o", "out.txt", "missing.txt"},
        Names{"-o", "out.txt", "a.txt", "folder"}}) {
    outcome = RunCli(arguments);
    EXPECT_EQ(outcome.status, 1) << arguments.back();
    EXPECT_EQ(ScratchDirectory::Read("out.txt"), "OLD\n") << arguments.back();
  }
  EXPECT_EQ(ScratchDirectory::Entries(), (Names{"a.txt", "b.txt", "folder", "out.txt"}));
}

// Whichever step of writing the output fails, the program says why and what it left, exits
// with 1, and the old file stays as it was with nothing beside it.
TEST(LettermorphCli, OutputThatCannotBeWritten) {
  ScratchDirectory directory;
  ScratchDirectory::Write("in.txt", "Жук");
  ScratchDirectory::Write("out.txt", "OLD\n");
  for (FileStep step :
       {FileStep::Create, FileStep::Write, FileStep::Sync, FileStep::Flush, FileStep::Replace}) {
    EXPECT_EQ(RunProgram({"-o", "out.txt", "in.txt"}, FailAt(step)), 1);
    EXPECT_EQ(ScratchDirectory::Read("out.txt"), "OLD\n");
    EXPECT_EQ(ScratchDirectory::Entries(), (Names{"in.txt", "out.txt"}));
  }
  const ChildProcess::Outcome missing = RunCli({"-o", "missing/out.txt", "in.txt"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(Contains(missing.err, "missing/out.txt: ") &&
              Contains(missing.err, "; left as it was"))
      << missing.err;
  // A device is written as it is, never replaced through a temporary file beside it.
  EXPECT_EQ(RunCli({"-o", kNullDevice, "in.txt"}).status, 0);
  EXPECT_EQ(ScratchDirectory::Entries(), (Names{"in.txt", "out.txt"}));
#ifndef _WIN32
  const ChildProcess::Outcome full = RunCli({"-o", "/dev/full", "in.txt"});
  EXPECT_EQ(full.status, 1);
  EXPECT_TRUE(Contains(full.err, "/dev/full")) << full.err;
#endif
}

// A program killed while writing its output leaves the old file and nothing else.
TEST(LettermorphCli, KilledWhileWritingTheOutput) {
  ScratchDirectory directory;
  ScratchDirectory::Write("out.txt", "OLD\n");
  ChildProcess child(LETTERMORPH_CLI, {"-o", "out.txt"});
  child.Feed(std::string(4 << 20, 'x'));  // returns once the program has taken most of it
  child.Kill();
  EXPECT_EQ(ScratchDirectory::Read("out.txt"), "OLD\n");
  EXPECT_EQ(ScratchDirectory::Entries(), Names{"out.txt"});
}

// Names in Cyrillic, Greek and accented Latin reach the file system exactly: no other file,
// such as one whose name only looks alike, is read or written.
TEST(LettermorphCli, FileNamesInAnyAlphabet) {
  ScratchDirectory directory;
  ScratchDirectory::Write(Utf8Path("café.txt"), "Жук");
  ScratchDirectory::Write("cafe.txt", "Ёж");
  ScratchDirectory::Write("a.txt", "old a");
  ScratchDirectory::Write(Utf8Path("настройки.ini"), SettingsWithZhe("Q"));
  EXPECT_EQ(RunCli({"café.txt"}).out, "}|{yk");
  EXPECT_EQ(RunCli({"-o", "α.txt", "--settings", "настройки.ini", "café.txt"}).status, 0);
  EXPECT_EQ(ScratchDirectory::Read(Utf8Path("α.txt")), "Qyk");
  EXPECT_EQ(RunCli({"--output=файл.txt", "cafe.txt"}).status, 0);
  EXPECT_EQ(ScratchDirectory::Read(Utf8Path("файл.txt")), "E}|{");
  EXPECT_EQ(ScratchDirectory::Read("a.txt"), "old a");
  EXPECT_EQ(ScratchDirectory::Read("cafe.txt"), "Ёж");
  const ChildProcess::Outcome missing = RunCli({"нет.txt"});
  EXPECT_TRUE(Contains(missing.err, "lettermorph-cli: нет.txt: ")) << missing.err;
}

// A Russian dictionary puts back the vanished "А", the "ъ" and the "ё", but not in numbers
// whose digits look like letters ("256K" is no "25БАКА", "3c" no "Азс"); without a dictionary
// the same text is still decoded, less well, with one warning for all inputs. The dictionary
// is a small one: expanding the system's takes a minute under the sanitizers.
TEST(LettermorphCli, DecodeWithAndWithoutTheDictionary) {
  ScratchDirectory directory;
  ScratchDirectory::Write(
      "a.txt",
      "JIekceu o69IBuJI, 4To mocT 6ygeT roToB eIILe k cpoky. See https://example.com 256K 3c\n");
  ScratchDirectory::Write("ru.aff", "SET UTF-8\n");
  ScratchDirectory::Write("ru.dic",
                          "11\nАлексей\nобъявил\nчто\nмост\nбудет\nготов\nещё\nк\nсроку\n"
                          "АЗС\nбака\n");
  ChildProcess::Outcome outcome =
      RunCli({"--decode", "--preset", "design", "--dictionary", "ru", "a.txt"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out,
            "Алексей объявил, что мост будет готов ещё к сроку. See https://example.com 256K 3c\n");
  EXPECT_EQ(outcome.err, "");
  const ChildProcess::Outcome without =
      RunCli({"-d", "--dictionary", "missing/ru_RU", "--preset=design", "a.txt", "-"}, "6ygeT");
  EXPECT_EQ(without.status, 0);
  EXPECT_EQ(without.out,
            "Лексей обявил, что мост будет готов ещё к сроку. See https://example.com 256K 3c\n"
            "Будет");
  EXPECT_EQ(std::count(without.err.begin(), without.err.end(), '\n'), 1) << without.err;
  EXPECT_TRUE(Contains(without.err, "missing/ru_RU.dic")) << without.err;
  EXPECT_TRUE(Contains(without.err, "less accurately")) << without.err;
}

#ifndef _WIN32
// A reader that goes away ends the program quietly, as the closed pipe's signal ends other
// programs (status 141), so that a pipeline such as `| head` is not taken for a failure.
TEST(LettermorphCli, ClosedPipeEndsTheProgramQuietly) {
  ScratchDirectory directory;
  ChildProcess::Run("/bin/sh", {"-c", R"(("$0" </dev/zero 2>err.txt; echo $? >status.txt) | true)",
                                LETTERMORPH_CLI});
  EXPECT_EQ(ScratchDirectory::Read("status.txt"), "141\n");
  EXPECT_EQ(ScratchDirectory::Read("err.txt"), "");
}

// The program run in a child of this process, as "nobody" when the test runs as root, its
// messages caught. Files it writes are capped at 1 MiB, so that output that grows without end
// ends the child instead of filling the disk.
ChildProcess::Outcome RunUnprivilegedInChild(const Names& arguments) {
  const int status = RunInChild([&] {
    dup2(open("err.txt", O_WRONLY | O_CREAT | O_TRUNC, 0666), 2);
    const rlimit cap{1 << 20, 1 << 20};
    setrlimit(RLIMIT_FSIZE, &cap);
    return RunUnprivileged([&] { return RunProgram(arguments); }).value_or(125);
  });
  ChildProcess::Outcome outcome{status, "", ScratchDirectory::Read("err.txt")};
  fs::remove("err.txt");
  return outcome;
}

// OUTPUT may be one of the inputs, even where it is rewritten in place because its folder is
// locked and the file is not: the whole output is made before the file is touched, so the
// program never reads back what it wrote, and a failure before then leaves the file whole.
TEST(LettermorphCli, OutputThatIsAlsoAnInputRewrittenInPlace) {
  ScratchDirectory directory;
  fs::create_directory("locked");
  ScratchDirectory::Write("locked/a.txt", "Hello ЖЖЖ\n");
  chmod("locked/a.txt", 0666);
  chmod("locked", 0555);
  ChildProcess::Outcome run =
      RunUnprivilegedInChild({"--preset", "reset", "-o", "locked/a.txt", "locked/a.txt"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ScratchDirectory::Read("locked/a.txt"), "Hello >I<>I<>I<\n");
  // Decoding makes the text longer than it was.
  ScratchDirectory::Write("locked/a.txt", "mocT roToB\n");
  UseCacheHere();
  run = RunUnprivilegedInChild({"-d", "--preset", "design", "--dictionary", "missing/ru", "-o",
                                "locked/a.txt", "locked/a.txt"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ScratchDirectory::Read("locked/a.txt"), "мост готов\n");

  run = RunUnprivilegedInChild({"-o", "locked/a.txt", "locked/a.txt", "missing.txt"});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Contains(run.err, "locked/a.txt: left as it was")) << run.err;
  EXPECT_EQ(ScratchDirectory::Read("locked/a.txt"), "мост готов\n");
  chmod("locked", 0755);
  EXPECT_EQ(ScratchDirectory::Entries("locked"), Names{"a.txt"});
}

// Standard output appended to one of the inputs: reading that input would read back the
// output without end, so it is refused, and the others are recoded.
TEST(LettermorphCli, StandardOutputAppendedToAnInput) {
  ScratchDirectory directory;
  ScratchDirectory::Write("a.txt", "old ");
  ScratchDirectory::Write("b.txt", "Жук");
  ChildProcess::Run("/bin/sh", {"-c", R"(ulimit -f 2048
                                         "$0" a.txt b.txt >>a.txt 2>err.txt; echo $? >status.txt)",
                                LETTERMORPH_CLI});
  EXPECT_EQ(ScratchDirectory::Read("status.txt"), "1\n");
  EXPECT_EQ(ScratchDirectory::Read("a.txt"), "old }|{yk");
  EXPECT_TRUE(Contains(ScratchDirectory::Read("err.txt"), "a.txt: input file is output file"));
}
#endif

// A dictionary that knows no Russian word, its .aff or .dic empty or cut short, would leave
// every word undecoded without a word of warning: it is set aside, once, as a missing one is.
TEST(LettermorphCli, DictionaryThatKnowsNoWordIsSetAside) {
  ScratchDirectory directory;
  const std::string words = "2\nмост\nготов\n";
  const std::tuple<std::string, std::string, std::string> dictionaries[] = {
      {"empty-aff", "", words},
      {"cut-dic", "SET UTF-8\n", "2\n"},
      {"empty-both", "", ""},
      {"good", "SET UTF-8\n", words}};
  for (const auto& [base, affix, list] : dictionaries) {
    ScratchDirectory::Write(base + ".aff", affix);
    ScratchDirectory::Write(base + ".dic", list);
    const ChildProcess::Outcome outcome =
        RunCli({"-d", "--preset", "design", "--dictionary", base}, "mocT roToB");
    EXPECT_EQ(outcome.status, 0) << base;
    EXPECT_EQ(outcome.out, "мост готов") << base;
    const std::string warning = base + ": the dictionary knows no Russian word";
    EXPECT_EQ(outcome.err.empty(), base == "good") << outcome.err;
    EXPECT_TRUE(base == "good" || (Contains(outcome.err, warning) &&
                                   std::count(outcome.err.begin(), outcome.err.end(), '\n') == 1))
        << outcome.err;
  }
}

}  // namespace
}  // namespace lettermorph
