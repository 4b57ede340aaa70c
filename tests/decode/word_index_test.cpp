#include "decode/word_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "decode/word_index_builder.h"
#include "recode/replacement_table.h"
#include "russian_letters.h"
#include "text/utf8.h"
#include "word_index_format.h"

namespace lettermorph {
namespace {

// Every word of up to six of the letters о к м х, whose look-alikes under the design set are
// o k m x in any case: thousands of forms in a small table, so that runs of slots wrap past
// its end and look-alikes share a tag. Each is found once under its look-alike, and a
// look-alike of no word finds nothing.
TEST(WordIndex, FindsEveryFormOnceAndNothingElse) {
  const std::u16string letters = u"окмх";
  const std::string looks = "okmx";
  std::vector<std::pair<std::u16string, std::string>> words;
  WordIndexBuilder builder;
  for (int length = 1; length <= 6; ++length) {
    for (int number = 0; number < 1 << (2 * length); ++number) {
      std::u16string word;
      std::string look;
      for (int at = 0; at < length; ++at) {
        word += letters[(number >> (2 * at)) & 3];
        look += looks[(number >> (2 * at)) & 3];
      }
      std::string utf8;
      AppendUtf8(word, utf8);
      ASSERT_TRUE(builder.AddDictionaryForm(utf8));
      words.emplace_back(word, look);
    }
  }
  const ReplacementTable table;
  const std::string image = std::move(builder).Build(table, "test");
  const std::optional<WordIndex> index =
      WordIndex::Open(std::as_bytes(std::span(image)), table, "test");
  ASSERT_TRUE(index);
  std::vector<WordIndex::Match> matches;
  for (const auto& [word, look] : words) {
    matches.clear();
    index->FindRussian(WordIndex::Key(look), matches);
    ASSERT_EQ(matches.size(), 1u) << look;
    std::u16string found;
    for (const std::uint8_t slot : matches[0].slots) {
      found += kSlotLetters[slot];
    }
    EXPECT_EQ(found, word) << look;
    matches.clear();
    index->FindRussian(WordIndex::Key(look + "kkkkkk"), matches);
    EXPECT_TRUE(matches.empty()) << look;
  }
}

// An index read from a cache file may be damaged: a bit flipped anywhere, or two 8-byte words
// trading places (neighbours, a lane's run apart, a block apart), is refused rather than read.
TEST(WordIndex, RefusesADamagedImage) {
  WordIndexBuilder builder;
  const std::u16string letters = u"окмх";
  for (int number = 0; number < 1 << 10; ++number) {
    std::u16string word;
    for (int at = 0; at < 5; ++at) {
      word += letters[(number >> (2 * at)) & 3];
    }
    std::string utf8;
    AppendUtf8(word, utf8);
    ASSERT_TRUE(builder.AddDictionaryForm(utf8));
  }
  const ReplacementTable table;
  const std::string image = std::move(builder).Build(table, "test");
  const auto opens = [&table](const std::string& bytes) {
    return WordIndex::Open(std::as_bytes(std::span(bytes)), table, "test").has_value();
  };
  ASSERT_TRUE(opens(image));
  ASSERT_GT(image.size(), 3u * 2048);
  for (std::size_t at = 0; at < image.size(); ++at) {
    std::string damaged = image;
    damaged[at] = static_cast<char>(damaged[at] ^ (1 << (at % 8)));
    ASSERT_FALSE(opens(damaged)) << "bit flipped at " << at;
  }
  for (const std::size_t apart : {8u, 64u, 2048u}) {
    for (std::size_t at = 72; at + apart + 8 <= image.size(); at += 8) {
      std::string swapped = image;
      std::swap_ranges(swapped.begin() + at, swapped.begin() + at + 8,
                       swapped.begin() + at + apart);
      if (swapped != image) {
        ASSERT_FALSE(opens(swapped)) << "words swapped at " << at << " and " << at + apart;
      }
    }
  }
}

// Every way of adding up the checksum that this processor runs gives the one value that index
// files written before hold: three blocks and a few bytes more, so that the lanes, the stir
// between blocks and the tail all count.
TEST(WordIndex, ChecksumIsTheSameOnEveryPath) {
  std::vector<std::byte> bytes(3 * 2048 + 5);
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    bytes[at] = static_cast<std::byte>(at * 37 % 251);
  }
  for (const word_index_format::ChecksumPath path : word_index_format::SupportedChecksumPaths()) {
    EXPECT_EQ(word_index_format::Checksum(bytes, path), 0x1464A93696A6D52Bu)
        << "path " << static_cast<int>(path);
  }
}

}  // namespace
}  // namespace lettermorph
