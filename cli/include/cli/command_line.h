#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lettermorph {

// What the command line asks for. Options may come before, between or after the file names;
// "--" ends them, and "-" names standard input.
struct CommandLine {
  enum class Preset { Design, Reset };
  enum class Action { Recode, Help, Version };

  Action action = Action::Recode;
  bool decode = false;                    // read look-alike text back as Russian
  std::optional<std::string> dictionary;  // for decoding: this .aff/.dic pair, without extension
  std::optional<Preset> preset;           // start from this built-in set and read no settings.ini
  std::optional<std::string> settings;    // read this file over the starting set
  std::optional<std::string> output;      // write here instead of standard output
  std::vector<std::string> inputs;        // standard input when empty
};

struct ParseResult {
  std::optional<CommandLine> commandLine;
  std::string error;  // why the arguments were refused, when commandLine is empty
};

ParseResult ParseCommandLine(const std::vector<std::string_view>& arguments);

// The dictionary --decode reads when none is named, as the help shows it: UTF-8, without
// .aff or .dic.
std::string DefaultDictionaryName();

// The usage text, for --help and after a refused command line.
std::string Usage(std::string_view program);

}  // namespace lettermorph
