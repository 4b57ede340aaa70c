#include "cli/program.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>

#include "cli/command_line.h"
#include "decode/utf8_stream_decoder.h"
#include "lexicon/lexicon.h"
#include "output_file.h"
#include "stream/utf8_stream_recoder.h"
#include "system/console.h"
#include "system/error_text.h"
#include "system/file_handle.h"
#include "system/mapped_input.h"
#include "system/program_arguments.h"
#include "table_source.h"
#include "version.h"

namespace lettermorph {
namespace {

constexpr std::string_view kProgram = "lettermorph-cli";

enum ExitStatus { kSuccess = 0, kFailure = 1, kUsage = 2 };

void Complain(std::string_view subject, std::string_view reason) {
  std::string message(kProgram);
  message.append(": ").append(subject);
  if (!reason.empty()) {
    message.append(": ").append(reason);
  }
  WriteToStandardError(message + "\n");
}

// The recoder or the decoder, fed each input in pieces and finished at the end of each.
struct TextPass {
  std::function<bool(std::string_view, ByteSink&)> feed;
  std::function<bool(ByteSink&)> finish;
  // Whether the pass may read a file straight from its mapping, which a fault in the file ends
  // without running destructors: the recoder holds nothing that needs them, the decoder does.
  bool mapFiles;
  // The size of the pieces read into a buffer.
  std::size_t readSize;
};

// Passes one input through to its end. False when the output failed, which ends the whole
// run; a failure to read is reported here and sets `inputFailed`.
bool PassInput(const std::string& name, const TextPass& pass, OutputFile& output,
               MappedInput& reader, bool& inputFailed) {
  const bool standard = name == "-";
  std::error_code error;
  FileHandle input = standard ? FileHandle::StandardInput()
                              : FileHandle::OpenForReading(PathFromArgument(name), error);
  if (!error && output.IsInput(input)) {
    Complain(standard ? "standard input" : name, "input file is output file");
    inputFailed = true;
    return true;
  }
  bool written = true;
  if (!error) {
    error = reader.ReadAll(
        input, [&](std::string_view piece) { return written = pass.feed(piece, output); });
  }
  if (!written) {
    return false;
  }
  if (error) {
    Complain(standard ? "standard input" : name, ErrorText(error));
    inputFailed = true;
  }
  // Each file is a text of its own: a sequence cut off, a word or a sentence at its end is
  // not completed by the next file.
  return pass.finish(output);
}

// Says why the output failed, unless its reader went away, which ends the program quietly.
int OutputFailed(const OutputFile& output) {
  if (output.ReaderGone()) {
    return kReaderGoneStatus;
  }
  Complain(output.Name(), output.FailureText());
  return kFailure;
}

int PassInputs(const CommandLine& commandLine, const TextPass& pass, OutputFile& output) {
  MappedInput reader(pass.mapFiles, pass.readSize);
  const std::vector<std::string> standardInput{"-"};
  bool inputFailed = false;
  for (const std::string& name : commandLine.inputs.empty() ? standardInput : commandLine.inputs) {
    if (!PassInput(name, pass, output, reader, inputFailed)) {
      return OutputFailed(output);
    }
  }
  // A file that is replaced keeps its old contents rather than take a text with a part missing.
  if (inputFailed && output.Replaces()) {
    Complain(output.Name(), "left as it was, as not all of the input could be read");
    return kFailure;
  }
  if (!output.Commit()) {
    return OutputFailed(output);
  }
  return inputFailed ? kFailure : kSuccess;
}

int Recode(const CommandLine& commandLine, OutputFile& output, const ReplacementTable& table) {
  Utf8StreamRecoder recoder(table);
  return PassInputs(
      commandLine,
      {[&](std::string_view in, ByteSink& sink) { return recoder.Recode(in, sink); },
       [&](ByteSink& sink) { return recoder.Finish(sink); }, true, MappedInput::kReadSize},
      output);
}

int Decode(const CommandLine& commandLine, OutputFile& output, const ReplacementTable& table,
           AfterRun afterRun) {
  const std::string base = commandLine.dictionary.value_or(DefaultDictionaryName());
  const std::unique_ptr<Lexicon> lexicon =
      Lexicon::Load(table, PathFromArgument(base), LexiconCacheFolder());
  const std::string fallback =
      "; words are decoded with the built-in word list alone, less accurately";
  switch (lexicon->DictionaryState()) {
    case Lexicon::Dictionary::Used:
      break;
    case Lexicon::Dictionary::Missing:
      Complain(base + ".dic", "cannot read the dictionary" + fallback);
      break;
    case Lexicon::Dictionary::KnowsNoWord:
      Complain(base,
               "the dictionary knows no Russian word (its .aff or .dic is empty, cut short or not "
               "UTF-8)" +
                   fallback);
      break;
  }
  auto decoder = std::make_unique<Utf8StreamDecoder>(table, &lexicon->Index());
  const int status =
      PassInputs(commandLine,
                 {[&](std::string_view in, ByteSink& sink) { return decoder->Decode(in, sink); },
                  [&](ByteSink& sink) { return decoder->Finish(sink); }, false,
                  Utf8StreamDecoder::kPreferredPiece},
                 output);
  if (afterRun == AfterRun::Exit) {
    // Held where it stays reachable, so that a leak check sees memory left to the system, not
    // lost; volatile, as nothing reads it.
    [[maybe_unused]] static Utf8StreamDecoder* volatile leftToExit = nullptr;
    leftToExit = decoder.release();
  }
  return status;
}

int Run(const CommandLine& commandLine, const FaultHook& outputFaults, AfterRun afterRun) {
  ReplacementTable table;
  if (auto error = LoadTable(commandLine, table)) {
    Complain(*error, {});
    return kUsage;
  }
  OutputFile output = commandLine.output && *commandLine.output != "-"
                          ? OutputFile(*commandLine.output, outputFaults)
                          : OutputFile();
  if (output.Error()) {
    return OutputFailed(output);
  }
  return commandLine.decode ? Decode(commandLine, output, table, afterRun)
                            : Recode(commandLine, output, table);
}

}  // namespace

int RunProgram(const std::vector<std::string>& arguments, const FaultHook& outputFaults,
               AfterRun afterRun) {
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
  return Run(*parsed.commandLine, outputFaults, afterRun);
}

}  // namespace lettermorph
