#include "system/code_page.h"

#include <gtest/gtest.h>

#include <clocale>

namespace lettermorph {
namespace {

TEST(CodePage, Windows1251HoldsTheRussianAlphabetInItsUpperHalf) {
  auto cp1251 = CodePage::Named("CP1251");
  ASSERT_NE(cp1251, nullptr);
  std::string bytes;
  for (int byte = 0xC0; byte <= 0xFF; ++byte) {
    bytes += static_cast<char>(byte);
  }
  EXPECT_EQ(cp1251->Decode(bytes + "\xA8\xB8"),
            u"АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмнопрстуфхцчшщъыьэюяЁё");
  EXPECT_EQ(cp1251->Decode("a\x98z"), u"a\uFFFDz") << "a byte the code page leaves undefined";

  std::string encoded;
  EXPECT_TRUE(cp1251->Encode(u"а Яё", encoded));
  EXPECT_EQ(encoded, "\xE0 \xDF\xB8");
  EXPECT_FALSE(cp1251->Encode(u"中\U0001F600\xD800", encoded))
      << "written as the default character";
  EXPECT_EQ(encoded, "\xE0 \xDF\xB8???");
}

TEST(CodePage, Utf8RoundTripsAndMarksEachMalformedByte) {
  auto utf8 = CodePage::Named("utf8");
  const std::u16string text = u"Жук, ё, \u20AC, \U0001F600, \0 end";
  std::string bytes;
  EXPECT_TRUE(utf8->Encode(text, bytes));
  EXPECT_EQ(utf8->Decode(bytes), text);

  EXPECT_EQ(utf8->Decode("\xC0\x80"), u"\uFFFD\uFFFD") << "overlong NUL";
  EXPECT_EQ(utf8->Decode("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD") << "encoded surrogate";
  EXPECT_EQ(utf8->Decode("a\xD0"), u"a\uFFFD") << "cut short at the end";
  EXPECT_EQ(utf8->Decode("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD") << "past U+10FFFF";
}

TEST(CodePage, ChoosesByLocaleAndRefusesUnknownNames) {
  EXPECT_EQ(CodePage::Named("no-such-charset"), nullptr);
  EXPECT_EQ(CodePage::Named("KOI8-R")->Decode("\xF0\xD2\xC9\xD7\xC5\xD4"), u"Привет");
  const std::string previous = std::setlocale(LC_CTYPE, nullptr);
  std::setlocale(LC_CTYPE, "C");
  EXPECT_EQ(CodePage::System()->Decode("\xD0\x96"), u"Ж") << "UTF-8, not ASCII";
  std::setlocale(LC_CTYPE, previous.c_str());
}

}  // namespace
}  // namespace lettermorph
