// lettermorph-cli's command-line parser against the harness's own reading of what --help
// promises. The input is the argument list, arguments separated by NUL bytes.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command_line.h"
#include "require.h"

namespace lettermorph::fuzz {
namespace {

enum class Takes { Nothing, Value };

// The options as the usage text lists them.
struct Option {
  std::string_view longName;
  std::string_view shortName;  // empty when there is none
  Takes takes;
};
constexpr Option kOptions[] = {
    {"--preset", "", Takes::Value},     {"--settings", "", Takes::Value},
    {"--output", "-o", Takes::Value},   {"--dictionary", "", Takes::Value},
    {"--decode", "-d", Takes::Nothing}, {"--help", "-h", Takes::Nothing},
    {"--version", "", Takes::Nothing},
};

const Option* OptionNamed(std::string_view name) {
  for (const Option& option : kOptions) {
    if (name == option.longName || (!option.shortName.empty() && name == option.shortName)) {
      return &option;
    }
  }
  return nullptr;
}

// What the parser must answer: a command line, or a refusal whose message contains `says`
// and names `subject`.
struct Expected {
  std::optional<CommandLine> line;
  std::string_view says;
  std::string subject;
};

Expected Refusal(std::string_view says, std::string_view subject) {
  return {std::nullopt, says, std::string(subject)};
}

// Options may stand before, between and after the files; "--" ends them and "-" is standard
// input. A value comes from "--name=VALUE", "-oVALUE" or the next argument, whatever that
// holds; an empty OUTPUT is refused. A later option of the same kind overrides an earlier one.
// The first argument in error is the one reported; --dictionary without --decode is found only
// after all were read.
Expected Interpret(const std::vector<std::string_view>& arguments) {
  CommandLine line;
  bool filesOnly = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    if (filesOnly || argument == "-" || argument.empty() || argument[0] != '-') {
      line.inputs.emplace_back(argument);
      continue;
    }
    if (argument == "--") {
      filesOnly = true;
      continue;
    }
    const Option* option = OptionNamed(argument);
    std::string_view typed = argument;  // the option's name as given
    std::optional<std::string_view> value;
    if (!option && argument.starts_with("--") && argument.find('=') != argument.npos) {
      const std::size_t equals = argument.find('=');
      typed = argument.substr(0, equals);
      option = OptionNamed(typed);
      if (!option || option->takes == Takes::Nothing) {
        return Refusal("unknown option", argument);
      }
      value = argument.substr(equals + 1);
    } else if (!option && argument.starts_with("-o")) {
      option = OptionNamed("-o");
      value = argument.substr(2);
    }
    if (!option) {
      return Refusal("unknown option", argument);
    }
    if (option->takes == Takes::Value && !value) {
      if (i + 1 == arguments.size()) {
        return Refusal("needs a value", argument);
      }
      value = arguments[++i];
    }

    if (option->longName == "--decode") {
      line.decode = true;
    } else if (option->longName == "--help") {
      line.action = CommandLine::Action::Help;
    } else if (option->longName == "--version") {
      line.action = CommandLine::Action::Version;
    } else if (option->longName == "--preset") {
      if (*value != "design" && *value != "reset") {
        return Refusal("unknown preset", *value);
      }
      line.preset = *value == "design" ? CommandLine::Preset::Design : CommandLine::Preset::Reset;
    } else if (option->longName == "--settings") {
      line.settings = std::string(*value);
    } else if (option->longName == "--output") {
      if (value->empty()) {
        return Refusal("the output file name is empty", typed);
      }
      line.output = std::string(*value);
    } else {
      line.dictionary = std::string(*value);
    }
  }
  if (line.dictionary && !line.decode) {
    return Refusal("--decode", "--dictionary");
  }
  return {line, {}, {}};
}

void CheckSame(const CommandLine& parsed, const CommandLine& expected) {
  Require(parsed.action == expected.action, "the last of --help and --version decides");
  Require(parsed.decode == expected.decode, "--decode and -d ask for decoding");
  Require(parsed.preset == expected.preset, "--preset takes design or reset");
  Require(parsed.settings == expected.settings, "--settings takes its value");
  Require(parsed.output == expected.output, "-o and --output take their value");
  Require(parsed.dictionary == expected.dictionary, "--dictionary takes its value");
  Require(parsed.inputs == expected.inputs, "every other argument is a file, in order");
}

// The usage text names every option it promises, and the program it was asked for.
void CheckUsage() {
  const std::string usage = Usage("lettermorph-cli");
  Require(usage.starts_with("Usage: lettermorph-cli "), "the usage names the program");
  for (const Option& option : kOptions) {
    Require(usage.find(option.longName) != usage.npos, "the usage names every long option");
    Require(option.shortName.empty() || usage.find(option.shortName) != usage.npos,
            "the usage names every short option");
  }
}

}  // namespace
}  // namespace lettermorph::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  lettermorph::fuzz::CheckUsage();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace lettermorph;
  using fuzz::Require;
  std::vector<std::string_view> arguments;
  std::string_view rest(reinterpret_cast<const char*>(bytes), size);
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\0'), rest.size());
    arguments.push_back(rest.substr(0, end));
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }

  const ParseResult parsed = ParseCommandLine(arguments);
  const fuzz::Expected expected = fuzz::Interpret(arguments);
  if (expected.line) {
    Require(parsed.commandLine.has_value(), "a command line that --help allows is accepted");
    fuzz::CheckSame(*parsed.commandLine, *expected.line);
    return 0;
  }
  Require(!parsed.commandLine, "a command line in error is refused");
  Require(parsed.error.find(expected.says) != parsed.error.npos,
          "the refusal says what is wrong with the first argument in error");
  Require(parsed.error.find(expected.subject) != parsed.error.npos,
          "the refusal names that argument");
  return 0;
}
