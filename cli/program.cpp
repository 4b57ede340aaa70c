#include "cli/program.h"

#include <string_view>

#include "cli/command_line.h"
#include "cli/output_file.h"
#include "cli/table_source.h"
#include "engine/utf8_stream_recoder.h"
#include "system/console.h"
#include "system/error_text.h"
#include "system/file_handle.h"
#include "system/program_arguments.h"
#include "version.h"

namespace lettermorph {
namespace {

constexpr std::string_view kProgram = "lettermorph-cli";

// Large enough that system calls cost little, small enough to stay in the processor's cache.
constexpr std::size_t kReadSize = 256 * 1024;

enum ExitStatus { kSuccess = 0, kFailure = 1, kUsage = 2 };

void Complain(std::string_view subject, std::string_view reason) {
  std::string message(kProgram);
  message.append(": ").append(subject);
  if (!reason.empty()) {
    message.append(": ").append(reason);
  }
  WriteToStandardError(message + "\n");
}

// Recodes one input to the end. False when the output failed, which ends the whole run; a
// failure to read is reported here and sets `inputFailed`.
bool RecodeInput(const std::string& name, Utf8StreamRecoder& recoder, OutputFile& output,
                 std::vector<char>& buffer, bool& inputFailed) {
  const bool standard = name == "-";
  std::error_code error;
  FileHandle input = standard ? FileHandle::StandardInput()
                              : FileHandle::OpenForReading(PathFromArgument(name), error);
  while (!error) {
    const auto got = input.Read(buffer, error);
    if (!got || *got == 0) {
      break;
    }
    if (!recoder.Recode(std::string_view(buffer.data(), *got), output)) {
      return false;
    }
  }
  if (error) {
    Complain(standard ? "standard input" : name, ErrorText(error));
    inputFailed = true;
  }
  // Each file is a text of its own: a sequence cut off at its end is not completed by the
  // next file.
  return recoder.Finish(output);
}

int Recode(const CommandLine& commandLine, const FaultHook& outputFaults) {
  ReplacementTable table;
  if (auto error = LoadTable(commandLine, table)) {
    Complain(*error, {});
    return kUsage;
  }
  OutputFile output = commandLine.output && *commandLine.output != "-"
                          ? OutputFile(*commandLine.output, outputFaults)
                          : OutputFile();
  if (output.Error()) {
    Complain(output.Name(), ErrorText(output.Error()));
    return kFailure;
  }

  Utf8StreamRecoder recoder(table);
  std::vector<char> buffer(kReadSize);
  const std::vector<std::string> standardInput{"-"};
  bool inputFailed = false;
  for (const std::string& name : commandLine.inputs.empty() ? standardInput : commandLine.inputs) {
    if (!RecodeInput(name, recoder, output, buffer, inputFailed)) {
      Complain(output.Name(), ErrorText(output.Error()));
      return kFailure;
    }
  }
  // A file that is replaced keeps its old contents rather than take a text with a part missing.
  if (inputFailed && output.Replaces()) {
    Complain(output.Name(), "left as it was, as not all of the input could be read");
    return kFailure;
  }
  if (!output.Commit()) {
    Complain(output.Name(), ErrorText(output.Error()));
    return kFailure;
  }
  return inputFailed ? kFailure : kSuccess;
}

}  // namespace

int RunProgram(const std::vector<std::string>& arguments, const FaultHook& outputFaults) {
  const std::vector<std::string_view> views(arguments.begin(), arguments.end());
  const ParseResult parsed = ParseCommandLine(views);
  if (!parsed.commandLine) {
    WriteToStandardError(std::string(kProgram) + ": " + parsed.error + "\n" + Usage(kProgram));
    return kUsage;
  }
  switch (parsed.commandLine->action) {
    case CommandLine::Action::Help:
      WriteToStandardOutput(Usage(kProgram));
      return kSuccess;
    case CommandLine::Action::Version:
      WriteToStandardOutput(std::string(kProgram) + " " + LETTERMORPH_VERSION + "\n");
      return kSuccess;
    case CommandLine::Action::Recode:
      break;
  }
  return Recode(*parsed.commandLine, outputFaults);
}

}  // namespace lettermorph
