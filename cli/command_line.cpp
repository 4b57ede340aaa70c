#include "cli/command_line.h"

#include "lexicon/lexicon.h"

namespace lettermorph {
namespace {

std::optional<CommandLine::Preset> PresetNamed(std::string_view name) {
  if (name == "design") {
    return CommandLine::Preset::Design;
  }
  if (name == "reset") {
    return CommandLine::Preset::Reset;
  }
  return std::nullopt;
}

}  // namespace

ParseResult ParseCommandLine(const std::vector<std::string_view>& arguments) {
  CommandLine line;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    if (optionsEnded || argument == "-" || !argument.starts_with('-')) {
      line.inputs.emplace_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    if (argument == "--help" || argument == "-h") {
      line.action = CommandLine::Action::Help;
      continue;
    }
    if (argument == "--version") {
      line.action = CommandLine::Action::Version;
      continue;
    }
    if (argument == "--decode" || argument == "-d") {
      line.decode = true;
      continue;
    }

    // An option with a value takes it from "--name=VALUE", "-oVALUE" or the next argument.
    std::string_view name = argument;
    std::optional<std::string_view> value;
    if (const auto equals = argument.find('=');
        argument.starts_with("--") && equals != argument.npos) {
      name = argument.substr(0, equals);
      value = argument.substr(equals + 1);
    } else if (argument.starts_with("-o") && argument.size() > 2) {
      name = "-o";
      value = argument.substr(2);
    }
    if (name != "--preset" && name != "--settings" && name != "-o" && name != "--output" &&
        name != "--dictionary") {
      return {std::nullopt, "unknown option " + std::string(argument)};
    }
    if (!value) {
      if (i + 1 == arguments.size()) {
        return {std::nullopt, "option " + std::string(name) + " needs a value"};
      }
      value = arguments[++i];
    }
    if (name == "--preset") {
      line.preset = PresetNamed(*value);
      if (!line.preset) {
        return {std::nullopt, "unknown preset '" + std::string(*value) + "' (design or reset)"};
      }
    } else if (name == "--settings") {
      line.settings = std::string(*value);
    } else if (name == "--dictionary") {
      line.dictionary = std::string(*value);
    } else if (value->empty()) {
      return {std::nullopt, "option " + std::string(name) + ": the output file name is empty"};
    } else {
      line.output = std::string(*value);
    }
  }
  if (line.dictionary && !line.decode) {
    return {std::nullopt, "option --dictionary works only with --decode"};
  }
  return {line, {}};
}

std::string DefaultDictionaryName() {
  const std::u8string name = DefaultDictionary().u8string();
  return {name.begin(), name.end()};
}

std::string Usage(std::string_view program) {
  const std::string name(program);
  return "Usage: " + name +
         " [--preset design|reset] [--settings FILE] [-o OUTPUT] [FILE...]\n"
         "       " +
         name +
         " --decode [--dictionary BASE] [--preset ...|--settings FILE] [-o OUTPUT] [FILE...]\n"
         "Replaces every Russian letter of UTF-8 text by its Latin look-alike and copies\n"
         "everything else unchanged; with --decode, turns such text back into Russian. Reads\n"
         "each FILE in turn, or standard input when there is none or the name is '-', and\n"
         "writes to standard output.\n"
         "\n"
         "  --preset design|reset  start from a built-in set of replacements, and read no\n"
         "                         settings.ini\n"
         "  --settings FILE        read FILE over the starting set instead of settings.ini; it\n"
         "                         is an error if FILE cannot be read\n"
         "  -o, --output OUTPUT    write to OUTPUT ('-' is standard output), which is replaced\n"
         "                         only once all input is recoded and written\n"
         "  -d, --decode           read text made with the table back as Russian: words that\n"
         "                         read as Russian are decoded, everything else is copied\n"
         "      --dictionary BASE  the Hunspell dictionary BASE.aff and BASE.dic that chooses\n"
         "                         among the readings of a word (default " +
         DefaultDictionaryName() +
         ");\n"
         "                         without it a fixed preference chooses, less accurately\n"
         "  -h, --help             show this help and exit\n"
         "      --version          show the version and exit\n"
         "\n"
         "By default the replacements are the design set with settings.ini from the current\n"
         "directory read over it, as the program itself starts. Settings files are read in the\n"
         "locale's character set.\n"
         "\n"
         "Exit status: 0 when all went well, 1 when an input could not be read or the output\n"
         "could not be written, 2 for a wrong command line or an unreadable settings FILE,\n"
         "141 when the reader of the output went away.\n";
}

}  // namespace lettermorph
