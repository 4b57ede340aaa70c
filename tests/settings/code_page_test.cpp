#include "settings/code_page.h"

#include <gtest/gtest.h>

#include <clocale>

namespace lettermorph {
namespace {

std::unique_ptr<CodePage> Cp1251() {
  auto codePage = CodePage::Named("CP1251");
  EXPECT_NE(codePage, nullptr);
  return codePage;
}

TEST(CodePageWindows1251, DecodesTheUpperHalfAsTheRussianAlphabet) {
  std::string bytes;
  for (int byte = 0xC0; byte <= 0xFF; ++byte) {
    bytes += static_cast<char>(byte);
  }
  bytes += "\xA8\xB8";
  EXPECT_EQ(Cp1251()->Decode(bytes),
            u"АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмнопрстуфхцчшщъыьэюяЁё");
}

TEST(CodePageWindows1251, EncodesCyrillicAsSingleBytes) {
  std::string bytes;
  EXPECT_TRUE(Cp1251()->Encode(u"а Яё", bytes));
  EXPECT_EQ(bytes, "\xE0 \xDF\xB8");
}

TEST(CodePageWindows1251, WritesTheDefaultCharacterForWhatItLacks) {
  std::string bytes;
  EXPECT_FALSE(Cp1251()->Encode(u"a中b\U0001F600c\xD800", bytes));
  EXPECT_EQ(bytes, "a?b?c?");
}

TEST(CodePageWindows1251, MarksTheUndefinedByteAndGoesOn) {
  EXPECT_EQ(Cp1251()->Decode("a\x98z"), u"a\uFFFDz");
}

TEST(CodePageKoi8r, DecodesItsOwnLayout) {
  auto koi8 = CodePage::Named("KOI8-R");
  ASSERT_NE(koi8, nullptr);
  EXPECT_EQ(koi8->Decode("\xF0\xD2\xC9\xD7\xC5\xD4"), u"Привет");
}

TEST(CodePageUtf8, RoundTripsEveryPlane) {
  auto utf8 = CodePage::Named("utf8");
  const std::u16string text = u"Жук, ё, \u20AC, \U0001F600, \0 end";
  std::string bytes;
  EXPECT_TRUE(utf8->Encode(text, bytes));
  EXPECT_EQ(utf8->Decode(bytes), text);
}

TEST(CodePageUtf8, DecodesEachMalformedByteAsOneReplacementCharacter) {
  auto utf8 = CodePage::Named("UTF-8");
  EXPECT_EQ(utf8->Decode("a\xFF"
                         "b"),
            u"a\uFFFDb");
  EXPECT_EQ(utf8->Decode("\xC0\x80"), u"\uFFFD\uFFFD") << "overlong NUL";
  EXPECT_EQ(utf8->Decode("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD") << "encoded surrogate";
  EXPECT_EQ(utf8->Decode("\xD0"), u"\uFFFD") << "truncated at the end";
  EXPECT_EQ(utf8->Decode("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD") << "past U+10FFFF";
}

TEST(CodePageUtf8, WritesAQuestionMarkForAnUnpairedSurrogate) {
  std::string bytes;
  EXPECT_FALSE(CodePage::Named("UTF-8")->Encode(u"x\xDC00y", bytes));
  EXPECT_EQ(bytes, "x?y");
}

TEST(CodePageChoice, UnknownNamesAreRefused) {
  EXPECT_EQ(CodePage::Named("no-such-charset"), nullptr);
}

TEST(CodePageChoice, ThePlainCLocaleMeansUtf8) {
  const std::string previous = std::setlocale(LC_CTYPE, nullptr);
  std::setlocale(LC_CTYPE, "C");
  EXPECT_EQ(CodePage::System()->Name(), "UTF-8");
  std::setlocale(LC_CTYPE, previous.c_str());
}

}  // namespace
}  // namespace lettermorph
