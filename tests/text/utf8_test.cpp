#include "text/utf8.h"

#include <gtest/gtest.h>

namespace lettermorph {
namespace {

// Each well-formed sequence at the edges of its length, both ways; each malformed one decodes
// to one U+FFFD per byte.
TEST(Utf8, BoundariesOfEachSequenceLength) {
  const std::pair<std::string, std::u16string> wellFormed[] = {
      {"\x7F", u"\x7F"},
      {"\xC2\x80", u"\x80"},
      {"\xDF\xBF", u"\x7FF"},
      {"\xE0\xA0\x80", u"\x800"},
      {"\xEF\xBF\xBF", u"\xFFFF"},
      {"\xF0\x90\x80\x80", u"\U00010000"},
      {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
      {std::string("\0", 1), std::u16string(1, u'\0')},
  };
  for (const auto& [bytes, text] : wellFormed) {
    EXPECT_EQ(Utf16FromUtf8(bytes), text);
    std::string encoded;
    EXPECT_TRUE(AppendUtf8(text, encoded));
    EXPECT_EQ(encoded, bytes);
  }
  const std::pair<std::string, std::size_t> malformed[] = {
      {"\xC0\x80", 2},          // overlong NUL
      {"\xE0\x80\xAF", 3},      // overlong three-byte "/"
      {"\xED\xA0\x80", 3},      // an encoded surrogate
      {"\xF4\x90\x80\x80", 4},  // past U+10FFFF
      {"\xD0", 1},              // cut short at the end
      {"\x80", 1},              // a continuation byte alone
  };
  for (const auto& [bytes, count] : malformed) {
    EXPECT_EQ(Utf16FromUtf8("a" + bytes), u"a" + std::u16string(count, u'\uFFFD'));
  }
  std::string encoded;
  EXPECT_FALSE(AppendUtf8(u"\xD800x\xDC00", encoded)) << "unpaired surrogates";
  EXPECT_EQ(encoded, "?x?");
}

}  // namespace
}  // namespace lettermorph
