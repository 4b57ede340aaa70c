// lettermorph-cli: the recoder for files and pipes. The command line chooses the table
// (table_source), the input files are read in fixed-size pieces, each piece goes through the
// streaming recoder, and the recoder writes to the output file, which is replaced only once
// everything has been written.

#include <clocale>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/output_file.h"
#include "cli/table_source.h"
#include "engine/utf8_stream_recoder.h"
#include "system/file_handle.h"
#include "system/piece_reader.h"
#include "version.h"

namespace lettermorph {
namespace {

constexpr const char* kProgram = "lettermorph-cli";

enum ExitStatus { kSuccess = 0, kFailure = 1, kUsage = 2 };

void Complain(const std::string& name, const std::string& reason) {
  std::fprintf(stderr, "%s: %s: %s\n", kProgram, name.c_str(), reason.c_str());
}

// Recodes one input to the end. False when the output failed, which ends the whole run;
// a failure to read is reported here and sets `status`.
bool RecodeInput(const std::string& name, Utf8StreamRecoder& recoder, OutputFile& output,
                 PieceReader& reader, ExitStatus& status) {
  const bool standard = name == "-";
  const std::string shownName = standard ? "standard input" : name;
  std::error_code error;
  FileHandle input =
      standard ? FileHandle::StandardInput() : FileHandle::OpenForReading(name, error);
  bool written = true;
  if (!error) {
    error = reader.ReadAll(
        input, [&](std::string_view piece) { return written = recoder.Recode(piece, output); });
  }
  if (!written) {
    return false;
  }
  if (error) {
    Complain(shownName, error.message());
    status = kFailure;
  }
  // Each file is a text of its own: a sequence cut off at its end is not completed by the
  // next file.
  return recoder.Finish(output);
}

int Run(const CommandLine& commandLine) {
  ReplacementTable table;
  if (auto error = LoadTable(commandLine, table)) {
    std::fprintf(stderr, "%s: %s\n", kProgram, error->c_str());
    return kUsage;
  }
  OutputFile output = commandLine.output && *commandLine.output != "-"
                          ? OutputFile(*commandLine.output)
                          : OutputFile();
  if (output.Error()) {
    Complain(output.Name(), output.Error().message());
    return kFailure;
  }

  Utf8StreamRecoder recoder(table);
  PieceReader reader;
  const std::vector<std::string> standardInput{"-"};
  ExitStatus status = kSuccess;
  for (const std::string& name : commandLine.inputs.empty() ? standardInput : commandLine.inputs) {
    if (!RecodeInput(name, recoder, output, reader, status)) {
      Complain(output.Name(), output.Error().message());
      return kFailure;
    }
  }
  if (!output.Commit()) {
    Complain(output.Name(), output.Error().message());
    return kFailure;
  }
  return status;
}

}  // namespace
}  // namespace lettermorph

int main(int argc, char** argv) {
  using namespace lettermorph;
  // settings.ini is in the locale's character set, as the program itself reads it.
  std::setlocale(LC_ALL, "");
#ifdef SIGPIPE
  // A closed pipe then shows as a failed write, reported like any other.
  std::signal(SIGPIPE, SIG_IGN);
#endif

  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  const ParseResult parsed = ParseCommandLine(arguments);
  if (!parsed.commandLine) {
    std::fprintf(stderr, "%s: %s\n%s", kProgram, parsed.error.c_str(), Usage(kProgram).c_str());
    return kUsage;
  }
  switch (parsed.commandLine->action) {
    case CommandLine::Action::Help:
      std::fputs(Usage(kProgram).c_str(), stdout);
      return kSuccess;
    case CommandLine::Action::Version:
      std::printf("%s %s\n", kProgram, LETTERMORPH_VERSION);
      return kSuccess;
    case CommandLine::Action::Recode:
      break;
  }
  return Run(*parsed.commandLine);
}
