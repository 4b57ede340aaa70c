#include "cli/decode_command.h"

#include <cstdio>
#include <string>
#include <vector>

#include "cli/hunspell_dictionary.h"
#include "engine/utf8_stream_decoder.h"
#include "system/file_handle.h"

namespace lettermorph {
namespace {

constexpr std::size_t kReadSize = 256 * 1024;

void Complain(const std::string& name, const std::string& reason) {
  std::fprintf(stderr, "lettermorph-cli: %s: %s\n", name.c_str(), reason.c_str());
}

// Decodes one input to the end. False when the output failed; a failure to read is reported
// here and clears `allRead`.
bool DecodeInput(const std::string& name, Utf8StreamDecoder& decoder, OutputFile& output,
                 std::vector<char>& buffer, bool& allRead) {
  const bool standard = name == "-";
  std::error_code error;
  FileHandle input =
      standard ? FileHandle::StandardInput() : FileHandle::OpenForReading(name, error);
  while (!error) {
    const auto got = input.Read(buffer, error);
    if (!got || *got == 0) {
      break;
    }
    if (!decoder.Decode(std::string_view(buffer.data(), *got), output)) {
      return false;
    }
  }
  if (error) {
    Complain(standard ? "standard input" : name, error.message());
    allRead = false;
  }
  // Each file is a text of its own: its last word and sentence end with it.
  return decoder.Finish(output);
}

}  // namespace

int DecodeInputs(const CommandLine& commandLine, const ReplacementTable& table,
                 OutputFile& output) {
  const std::string base(commandLine.dictionary.value_or(std::string(kDefaultDictionary)));
  const std::unique_ptr<HunspellDictionary> dictionary = HunspellDictionary::Open(base);
  if (!dictionary) {
    Complain(base + ".dic",
             "cannot read the dictionary; words are decoded by a fixed preference, less "
             "accurately");
  }
  Utf8StreamDecoder decoder(table, dictionary.get());
  std::vector<char> buffer(kReadSize);
  const std::vector<std::string> standardInput{"-"};
  bool allRead = true;
  for (const std::string& name : commandLine.inputs.empty() ? standardInput : commandLine.inputs) {
    if (!DecodeInput(name, decoder, output, buffer, allRead)) {
      Complain(output.Name(), output.Error().message());
      return 1;
    }
  }
  if (!output.Commit()) {
    Complain(output.Name(), output.Error().message());
    return 1;
  }
  return allRead ? 0 : 1;
}

}  // namespace lettermorph
