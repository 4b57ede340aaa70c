#include "text/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace lettermorph {
namespace {

// One, two, three and four bytes a character: the last is a pair of surrogates in UTF-16.
TEST(Utf8, WellFormedTextGoesBothWays) {
  const std::string bytes = "a\xD0\x96\xE2\x82\xAC\xF0\x9F\x98\x80";  // aЖ€😀
  const std::u16string text = u"a\u0416\u20AC\xD83D\xDE00";
  EXPECT_EQ(Utf16FromUtf8(bytes), text);
  std::string back = "<";
  EXPECT_TRUE(AppendUtf8(text, back));
  EXPECT_EQ(back, "<" + bytes);
  EXPECT_EQ(CountUtf8Characters(bytes), 4u);
}

// Each byte that starts no well-formed sequence becomes one U+FFFD: a stray continuation, a
// lead cut short, an overlong form, and a surrogate encoded in UTF-8.
TEST(Utf8, MalformedBytesBecomeReplacementCharacters) {
  EXPECT_EQ(Utf16FromUtf8("\x80x"), u"\uFFFDx");
  EXPECT_EQ(Utf16FromUtf8("x\xD0"), u"x\uFFFD");
  EXPECT_EQ(Utf16FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");
  EXPECT_EQ(Utf16FromUtf8("\xE0\x80\xAF"), u"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(Utf16FromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(Utf16FromUtf8("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
}

// UTF-8 cannot carry a surrogate without its partner: it is written as "?" and reported.
TEST(Utf8, UnpairedSurrogatesAreReplacedAndReported) {
  std::string out;
  EXPECT_FALSE(AppendUtf8(u"\xD800x\xDC00", out));
  EXPECT_EQ(out, "?x?");
}

}  // namespace
}  // namespace lettermorph
