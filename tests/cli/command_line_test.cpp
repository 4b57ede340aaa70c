#include "cli/command_line.h"

#include <gtest/gtest.h>

namespace lettermorph {
namespace {

TEST(CommandLine, DecodeTakesTheRecodingOptionsAndADictionary) {
  const ParseResult parsed = ParseCommandLine(
      {"a.txt", "--decode", "--preset", "reset", "--dictionary=/x/ru", "-o", "out.txt", "-"});
  ASSERT_TRUE(parsed.commandLine) << parsed.error;
  const CommandLine& line = *parsed.commandLine;
  EXPECT_TRUE(line.decode);
  EXPECT_EQ(line.action, CommandLine::Action::Recode);
  EXPECT_EQ(line.preset, CommandLine::Preset::Reset);
  EXPECT_EQ(line.dictionary, "/x/ru");
  EXPECT_EQ(line.output, "out.txt");
  EXPECT_EQ(line.inputs, (std::vector<std::string>{"a.txt", "-"}));

  EXPECT_TRUE(ParseCommandLine({"-d"}).commandLine->decode);
  EXPECT_FALSE(ParseCommandLine({"a.txt"}).commandLine->decode);
  EXPECT_FALSE(ParseCommandLine({"--", "--decode"}).commandLine->decode);

  const ParseResult refused = ParseCommandLine({"--dictionary", "/x/ru", "a.txt"});
  EXPECT_FALSE(refused.commandLine);
  EXPECT_EQ(refused.error, "option --dictionary works only with --decode");
}

}  // namespace
}  // namespace lettermorph
