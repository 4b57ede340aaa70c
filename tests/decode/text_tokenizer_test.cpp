#include "decode/text_tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include "../support/named_rows.h"

namespace lettermorph {
namespace {

// The tokens written one after another as "W[word]", "S[space]", "P[punctuation]" and
// "V[verbatim]". Spaces and verbatim text may be handed on in several parts, which are
// joined; a word never may, so two words in a row show as two.
class Rendering final : public TextTokenizer::Receiver {
 public:
  void Take(TextTokenizer::Kind kind, std::string_view bytes) override {
    static constexpr char kLetters[] = {'S', 'P', 'W', 'V'};
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
  std::u16string_view wordCharacters;  // beyond letters and digits
  std::string input;
  std::string tokens;
};

class TextTokenizerCases : public testing::TestWithParam<Case> {};

TEST_P(TextTokenizerCases, CutsTheTextIntoTokens) {
  TextTokenizer tokenizer(GetParam().wordCharacters);
  Rendering rendering;
  tokenizer.Feed(GetParam().input, rendering);
  tokenizer.Finish(rendering);
  EXPECT_EQ(rendering.text, GetParam().tokens);
}

const std::string kLongest(256, 'u');

INSTANTIATE_TEST_SUITE_P(
    Words, TextTokenizerCases,
    testing::Values(
        Case{"replacement_characters_in_words", u"}|{", "}|{yk 6ygeT", "W[}|{yk]S[ ]W[6ygeT]"},
        Case{"same_characters_elsewhere", u"", "}|{yk", "P[}|{]W[yk]"},
        Case{"punctuation_and_spaces", u"", "Kpau,  mou!\r\n", "W[Kpau]P[,]S[  ]W[mou]P[!]S[\r\n]"},
        Case{"accented_greek_and_cyrillic", u"", "café αβ Жж", "W[café]S[ ]W[αβ]S[ ]W[Жж]"},
        Case{"signs_in_the_latin_block", u"", "2×3÷4", "W[2]P[×]W[3]P[÷]W[4]"},
        Case{"unicode_spaces_and_dashes", u"", "a\u00A0b\u2011c\u3000\u2014",
             "W[a]S[\u00A0]W[b]P[\u2011]W[c]S[\u3000]P[\u2014]"}),
    RowName);

// Addresses, paths and code are copied whole, with what sticks to them; abbreviations and
// numbers are words and punctuation.
INSTANTIATE_TEST_SUITE_P(
    Verbatim, TextTokenizerCases,
    testing::Values(Case{"address_with_its_comma", u"", "see example.com, ok",
                         "W[see]S[ ]V[example.com,]S[ ]W[ok]"},
                    Case{"path_mail_and_code", u"", "/com/ a@b f(x)=1 a_b c\\d",
                         "V[/com/]S[ ]V[a@b]S[ ]V[f(x)=1]S[ ]V[a_b]S[ ]V[c\\d]"},
                    Case{"slash_that_a_replacement_uses", u"/\\", "/\\ob/\\", "W[/\\ob/\\]"},
                    Case{"cyrillic_abbreviation", u"", "т.е.", "W[т]P[.]W[е]P[.]"},
                    Case{"version_number", u"", "2.0: 3.14", "W[2]P[.]W[0]P[:]S[ ]V[3.14]"},
                    Case{"latin_abbreviation", u"", "e.g.", "W[e]P[.]W[g]P[.]"}),
    RowName);

// A run of 256 bytes is still a word; a longer one is copied whole, and the words after the
// next space are words again. Bytes that are not UTF-8 are punctuation, never part of a word.
INSTANTIATE_TEST_SUITE_P(
    Limits, TextTokenizerCases,
    testing::Values(
        Case{"longest_word", u"", kLongest + " x", "W[" + kLongest + "]S[ ]W[x]"},
        Case{"one_byte_longer", u"", kLongest + "u, x", "V[" + kLongest + "u,]S[ ]W[x]"},
        Case{"much_longer_with_letters_cut", u"", kLongest + "ЖЖЖ x",
             "V[" + kLongest + "ЖЖЖ]S[ ]W[x]"},
        Case{"malformed_bytes", u"", "ab\xD0\xF0\x9Fx \x80", "W[ab]P[\xD0\xF0\x9F]W[x]S[ ]P[\x80]"},
        Case{"character_cut_off_at_the_end", u"", "ab\xE2\x82", "W[ab]P[\xE2\x82]"},
        Case{"four_byte_character", u"", "a\U0001F600b", "W[a]P[\U0001F600]W[b]"}),
    RowName);

}  // namespace
}  // namespace lettermorph
