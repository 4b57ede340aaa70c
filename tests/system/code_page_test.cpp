#include "system/code_page.h"

#include <gtest/gtest.h>

#include <clocale>

namespace lettermorph {

namespace {

TEST(CodePage, Windows1251HoldsTheRussianAlphabetInItsUpperHalf) {
  const auto cp1251 = CodePage::Named("CP1251");
  ASSERT_NE(cp1251, nullptr);
  std::string bytes;
  for (int byte = 0xC0; byte <= 0xFF; ++byte) {
    bytes += static_cast<char>(byte);
  }
  EXPECT_EQ(cp1251->ToUtf16(bytes + "\xA8\xB8"),
            u"АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмнопрстуфхцчшщъыьэюяЁё");
  EXPECT_EQ(cp1251->ToUtf16("a\x98z"), u"a\uFFFDz") << "a byte the code page leaves undefined";

  std::string encoded;
  EXPECT_TRUE(cp1251->FromUtf16(u"а Яё", encoded));
  EXPECT_EQ(encoded, "\xE0 \xDF\xB8");
  EXPECT_FALSE(cp1251->FromUtf16(u"中\U0001F600\xD800", encoded))
      << "each character written as the default character";
  EXPECT_EQ(encoded, "\xE0 \xDF\xB8???");
}

// The names the settings code and its tests use, as other systems spell them, on every
// platform: "Привет" in each.
TEST(CodePage, KnowsTheCyrillicCharacterSetsByName) {
  const std::pair<const char*, std::string> named[] = {
      {"KOI8-R", "\xF0\xD2\xC9\xD7\xC5\xD4"},
      {"windows-1251", "\xCF\xF0\xE8\xE2\xE5\xF2"},
      {"cp1251", "\xCF\xF0\xE8\xE2\xE5\xF2"},
      {"ISO-8859-5", "\xBF\xE0\xD8\xD2\xD5\xE2"},
      {"IBM866", "\x8F\xE0\xA8\xA2\xA5\xE2"},
      {"UTF-8", "Привет"},
      {"utf8", "Привет"},
  };
  for (const auto& [name, bytes] : named) {
    const auto codePage = CodePage::Named(name);
    ASSERT_NE(codePage, nullptr) << name;
    EXPECT_EQ(codePage->ToUtf16(bytes), u"Привет") << name;
  }
  EXPECT_EQ(CodePage::Named("no-such-charset"), nullptr);
}

#ifndef _WIN32
TEST(CodePage, PlainCLocaleReadsUtf8) {
  const std::string previous = std::setlocale(LC_CTYPE, nullptr);
  std::setlocale(LC_CTYPE, "C");
  EXPECT_EQ(CodePage::System()->ToUtf16("\xD0\x96"), u"Ж") << "UTF-8, not ASCII";
  std::setlocale(LC_CTYPE, previous.c_str());
}
#endif

}  // namespace
}  // namespace lettermorph
