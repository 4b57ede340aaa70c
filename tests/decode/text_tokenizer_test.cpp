#include "decode/text_tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../support/named_rows.h"
#include "byte_masks.h"
#include "recode/builtin_sets.h"
#include "text_tokenizer_feed.h"

namespace lettermorph {
namespace {

// The tokens written one after another as "W[word]", "S[space]", "P[punctuation]",
// "N[number]" and "V[verbatim]". Spaces and verbatim text may be handed on in several parts, which
// are joined; a word never may, so two words in a row show as two.
class Rendering final : public TextTokenizer::Receiver {
 public:
  void Take(TextTokenizer::Kind kind, std::string_view bytes) override {
    static constexpr char kLetters[] = {'S', 'P', 'W', 'N', 'V'};
    const char letter = kLetters[static_cast<int>(kind)];
    if (letter == last_ && (letter == 'S' || letter == 'V')) {
      text.insert(text.size() - 1, bytes);
    } else {
      text.append(1, letter).append("[").append(bytes).append("]");
    }
    last_ = letter;
  }
  std::string text;

 private:
  char last_ = 0;
};

struct Case {
  const char* name;
  std::vector<std::u16string> replacements;  // whose characters belong to words
  std::string input;
  std::string tokens;
};

class TextTokenizerCases : public testing::TestWithParam<Case> {};

TEST_P(TextTokenizerCases, CutsTheTextIntoTokens) {
  TextTokenizer tokenizer(GetParam().replacements);
  Rendering rendering;
  tokenizer.Feed(GetParam().input, rendering);
  tokenizer.Finish(rendering);
  EXPECT_EQ(rendering.text, GetParam().tokens);
}

// A text read to its end and the same text with more after it are cut alike, whether its last
// chunk is read from a few bytes or from the 64 after its start.
TEST_P(TextTokenizerCases, CutsTheTextAlikeWithSpacesAfterIt) {
  const std::string spaces(64, ' ');
  TextTokenizer tokenizer(GetParam().replacements);
  Rendering rendering;
  tokenizer.Feed(GetParam().input + spaces, rendering);
  tokenizer.Finish(rendering);
  // The spaces join a space that ends the text.
  std::string tokens = GetParam().tokens;
  if (tokens[tokens.rfind('[') - 1] == 'S') {
    tokens.insert(tokens.size() - 1, spaces);
  } else {
    tokens += "S[" + spaces + "]";
  }
  EXPECT_EQ(rendering.text, tokens);
}

const std::string kLongest(256, 'u');
// A row of a table with no space in it, longer than the tokenizer ever holds back.
std::string Row() {
  std::string row;
  for (int i = 0; i < 840; ++i) {
    row += "uJIu;";
  }
  return row;
}
std::string RowTokens() {
  std::string tokens;
  for (int i = 0; i < 840; ++i) {
    tokens += "W[uJIu]P[;]";
  }
  return tokens;
}

INSTANTIATE_TEST_SUITE_P(
    Words, TextTokenizerCases,
    testing::Values(
        Case{"replacement_characters_in_words",
             {u"}|{", u"6"},
             "}|{yk 6ygeT",
             "W[}|{yk]S[ ]W[6ygeT]"},
        Case{"same_characters_elsewhere", {}, "}|{yk", "P[}|{]W[yk]"},
        Case{"characters_that_cannot_start_or_end_a_replacement",
             {u">I<"},
             "<>I<yk>",
             "P[<]W[>I<yk]P[>]"},
        Case{"such_a_character_at_one_end_only",
             {u">I<"},
             "<>I<yk >I<yk>",
             "P[<]W[>I<yk]S[ ]W[>I<yk]P[>]"},
        // Inside a word that shows such a character, one that no replacement standing whole
        // around it explains parts words.
        Case{"replacement_characters_no_replacement_explains",
             {u"}|{"},
             "|FILE|ucno {BbIkJI}Bk |}|{|yk|}|{",
             "P[|]W[FILE]P[|]W[ucno]S[ ]P[{]W[BbIkJI]P[}]W[Bk]S[ ]P[|]W[}|{]P[|]W[yk]P[|]W[}|{]"},
        Case{"punctuation_and_spaces", {}, "Kpau,  mou!\r\n", "W[Kpau]P[,]S[  ]W[mou]P[!]S[\r\n]"},
        Case{"accented_greek_and_cyrillic", {}, "café αβ Жж", "W[café]S[ ]W[αβ]S[ ]W[Жж]"},
        Case{"digits_beside_letters_beyond_ascii", {}, "Жж5ж 5Жж", "W[Жж]N[5]W[ж]S[ ]N[5]W[Жж]"},
        Case{"signs_in_the_latin_block", {}, "2×3÷4", "N[2]P[×]N[3]P[÷]N[4]"},
        Case{"unicode_spaces_and_dashes",
             {},
             "a\u00A0b\u2011c\u3000\u2014",
             "W[a]S[\u00A0]W[b]P[\u2011]W[c]S[\u3000]P[\u2014]"}),
    RowName);

// The built-in sets, capitals first.
const std::vector<std::u16string> kDesign(DesignDefaults.begin(), DesignDefaults.end());
const std::vector<std::u16string> kReset(ResetDefaults.begin(), ResetDefaults.end());

// Slashes, underscores, "=", "@", backslashes and digits that no replacement uses part words;
// addresses are copied whole, with what sticks to them, but a function's name with a dot,
// a Russian word in capitals before it and Latin capitals after, is words.
INSTANTIATE_TEST_SUITE_P(
    Splits, TextTokenizerCases,
    testing::Values(
        Case{"address_with_its_comma",
             {},
             "see example.com, ok",
             "W[see]S[ ]V[example.com,]S[ ]W[ok]"},
        Case{"web_address", {}, "https://x.org/a", "V[https://x.org/a]"},
        Case{"address_whose_dot_a_replacement_uses",
             {u"e."},
             "example.com x",
             "V[example.com]S[ ]W[x]"},
        Case{"address_without_a_dot", {}, "file:///etc/fstab x", "V[file:///etc/fstab]S[ ]W[x]"},
        Case{"slash_underscore_equals_at_backslash",
             {},
             "u/uJIu --file=ФАЙЛ a_b c@d e\\f",
             "W[u]P[/]W[uJIu]S[ ]P[--]W[file]P[=]W[ФАЙЛ]S[ ]W[a]P[_]W[b]S[ ]W[c]P[@]W[d]S[ ]"
             "W[e]P[\\]W[f]"},
        Case{"slash_that_a_replacement_uses", {u"/\\"}, "/\\ob/\\", "W[/\\ob/\\]"},
        Case{"digits_beside_letters",
             {u"9I"},
             "naKeT1 2-x 9I",
             "W[naKeT]N[1]S[ ]N[2]P[-]W[x]S[ ]W[9I]"},
        Case{"digits_that_replacements_use_alone", {u"3", u"6"}, "36 3a", "N[36]S[ ]W[3a]"},
        Case{"digits_that_replacements_use_beside_a_number",
             {u"3", u"6"},
             "u32 32x 3a1",
             "W[u]N[32]S[ ]N[32]W[x]S[ ]W[3a]N[1]"},
        Case{"digits_in_a_long_chunk",
             {u"9I", u"3", u"6"},
             "naKeT1/x/36363636363636363636/9I2",
             "W[naKeT]N[1]P[/]W[x]P[/]N[36363636363636363636]P[/]W[9I]N[2]"},
        Case{"abbreviation_and_version", {}, "т.е. 3.14", "W[т]P[.]W[е]P[.]S[ ]N[3]P[.]N[14]"},
        Case{"function_names_with_a_dot", kDesign, "=MHuM.ABS(z) nPEDCK3.ETS",
             "P[=]W[MHuM]P[.]W[ABS]P[(]W[z]P[)]S[ ]W[nPEDCK3]P[.]W[ETS]"},
        Case{"function_name_in_the_reset_set", kReset, "CTbI0DEHT.PACn(x)",
             "W[CTbI0DEHT]P[.]W[PACn]P[(]W[x]P[)]"},
        // Not when the word before is no Russian capitals, or the one after is small.
        Case{"addresses_and_files_in_capitals", kDesign,
             "README.TXT JOB.LOG a.out www.example.com HOME.txt xMHuM.ABS",
             "V[README.TXT]S[ ]V[JOB.LOG]S[ ]V[a.out]S[ ]V[www.example.com]S[ ]V[HOME.txt]"
             "S[ ]V[xMHuM.ABS]"}),
    RowName);

// A run of 256 bytes is still a word; a longer one is copied whole, and the words after it are
// words again, however long the text without spaces. Bytes that are not UTF-8 are
// punctuation, never part of a word.
INSTANTIATE_TEST_SUITE_P(
    Limits, TextTokenizerCases,
    testing::Values(
        Case{"longest_word", {}, kLongest + " x", "W[" + kLongest + "]S[ ]W[x]"},
        Case{"one_byte_longer", {}, kLongest + "u,x", "V[" + kLongest + "u]P[,]W[x]"},
        Case{"much_longer_with_letters_cut",
             {},
             kLongest + "ЖЖЖ x",
             "V[" + kLongest + "ЖЖЖ]S[ ]W[x]"},
        Case{"row_without_spaces", {u"JI"}, Row(), RowTokens()},
        Case{"row_that_ends_in_an_address",
             {u"JI"},
             Row() + "example.com x",
             "V[" + Row() + "example.com]S[ ]W[x]"},
        Case{"malformed_bytes", {}, "ab\xD0\xF0\x9Fx \x80", "W[ab]P[\xD0\xF0\x9F]W[x]S[ ]P[\x80]"},
        // A lead byte of Cyrillic before another, and letters of two bytes beyond Cyrillic.
        Case{"lead_byte_before_a_letter",
             {},
             "ab\xD0\xD0\xB0"
             "b",
             "W[ab]P[\xD0]W[\xD0\xB0"
             "b]"},
        Case{"letters_of_scripts_without_look_alikes", {}, "abאbԱb", "W[ab]P[א]W[b]P[Ա]W[b]"},
        Case{"character_cut_off_at_the_end", {}, "ab\xE2\x82", "W[ab]P[\xE2\x82]"},
        Case{"four_byte_character", {}, "a\U0001F600b", "W[a]P[\U0001F600]W[b]"}),
    RowName);

// The tokens one call each: a run of spaces handed on in two calls shows as two.
class Calls final : public TextTokenizer::Receiver {
 public:
  void Take(TextTokenizer::Kind kind, std::string_view bytes) override {
    text.append(1, "SPWNV"[static_cast<int>(kind)]).append("[").append(bytes).append("]");
  }
  std::string text;
};

// Spaces that end in one beyond ASCII come in one call wherever they fall, though the text is
// read 64 bytes at a time and that space may be cut off by the end of those bytes.
TEST(TextTokenizer, HandsOnSpacesWholeWhereverTheyFall) {
  const std::string after(64, ' ');
  for (int length = 1; length < 80; ++length) {
    const std::string word(length, 'a');
    TextTokenizer tokenizer({});
    Calls calls;
    tokenizer.Feed(word + " \u3000b" + after, calls);
    tokenizer.Finish(calls);
    EXPECT_EQ(calls.text, "W[" + word + "]S[ \u3000]W[b]S[" + after + "]") << length;
  }
}

// Every way of reading the masks reads the same, from bytes at the edges of each class placed
// in every 16 of the 64.
TEST(ByteMasks, EveryPathReadsTheSameMasks) {
  const std::string text =
      "\x08\x09\x0A\x0B\x0C\x0D\x0E\x20\x1F\x21\x2F\x30\x39\x3A\x40\x41"
      "\x5A\x5B\x60\x61\x7A\x7B\x7F\x80\xBF\xC0\xCF\xD0\xD3\xD4\xFF\x6D"
      "\x6D\xFF\xD4\xD3\xD0\xCF\xC0\xBF\x80\x7F\x7B\x7A\x61\x60\x5B\x5A"
      "\x41\x40\x3A\x39\x30\x2F\x21\x1F\x20\x0E\x0D\x0C\x0B\x0A\x09\x08";
  for (const MaskPath path : SupportedMaskPaths()) {
    const ByteMasks masks = MasksOf64For(path)(text.data());
    SCOPED_TRACE(static_cast<int>(path));
    EXPECT_EQ(masks.letters, 0x0001980180198000u);
    EXPECT_EQ(masks.digits, 0x0018000000001800u);
    EXPECT_EQ(masks.spaces, 0x7D000000000000BEu);
    EXPECT_EQ(masks.beyond, 0x000001FE7F800000u);
    EXPECT_EQ(masks.leads, 0x0000001818000000u);
    EXPECT_EQ(masks.continuations, 0x0000018001800000u);
  }
}

}  // namespace
}  // namespace lettermorph
