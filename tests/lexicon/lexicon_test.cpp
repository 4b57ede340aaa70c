#include "lexicon/lexicon.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../support/scratch_directory.h"
#include "decode/decode_text.h"

namespace lettermorph {
namespace {

namespace fs = std::filesystem;

// A dictionary of one word whose suffix rules have UTF-8 conditions: "щегол" gives "щеглом"
// ("[гк]ол" holds), never "щеголы" ("[^г]ол" does not).
const std::string kAffixes =
    "SET UTF-8\n"
    "SFX A Y 2\n"
    "SFX A ол лом [гк]ол\n"
    "SFX A 0 ы [^г]ол\n";

// The look-alikes, ASCII letters small, of words under the design set and the reset set.
constexpr const char* kShcheglomDesign = "iilerjiom";  // щеглом
constexpr const char* kShcheglomReset = "werjiom";
constexpr const char* kShcheholyDesign = "iilerojibi";  // щеголы
constexpr const char* kZhmykhDesign = "}|{mbix";        // жмых

bool Knows(const Lexicon& lexicon, const char* folded) {
  std::vector<WordIndex::Match> matches;
  lexicon.Index().FindRussian(WordIndex::Key(folded), matches);
  return !matches.empty();
}

fs::path OnlyCacheFile(const fs::path& folder) {
  const std::vector<std::string> names = ScratchDirectory::Entries(folder);
  EXPECT_EQ(names.size(), 1u);
  return folder / names.at(0);
}

class LexiconCache : public testing::Test {
 protected:
  LexiconCache() {
    ScratchDirectory::Write("ru.aff", kAffixes);
    ScratchDirectory::Write("ru.dic", "1\nщегол/A\n");
  }
  // With the design set, or else the reset set.
  std::unique_ptr<Lexicon> Load(bool design = true) {
    ReplacementTable table;
    if (!design) {
      table.ApplyResetDefaults();
    }
    return Lexicon::Load(table, "ru", cache_);
  }

  ScratchDirectory directory_;
  fs::path cache_ = fs::current_path() / "cache";  // inside directory_, made first
};

// The first start builds the index and keeps it; the next maps it. Another table or another
// dictionary is another index, built again.
TEST_F(LexiconCache, IsKeptAndBuiltAgainForAnotherTableOrDictionary) {
  const std::unique_ptr<Lexicon> built = Load();
  EXPECT_FALSE(built->FromCache());
  EXPECT_EQ(built->DictionaryState(), Lexicon::Dictionary::Used);
  EXPECT_TRUE(Knows(*built, kShcheglomDesign));
  EXPECT_FALSE(Knows(*built, kShcheholyDesign));

  const std::unique_ptr<Lexicon> cached = Load();
  EXPECT_TRUE(cached->FromCache());
  EXPECT_TRUE(Knows(*cached, kShcheglomDesign));

  const std::unique_ptr<Lexicon> reset = Load(false);
  EXPECT_FALSE(reset->FromCache());
  EXPECT_TRUE(Knows(*reset, kShcheglomReset));
  EXPECT_TRUE(Load(false)->FromCache());

  ScratchDirectory::Write("ru.dic", "2\nжмых\nщегол\n");
  const std::unique_ptr<Lexicon> changed = Load();
  EXPECT_FALSE(changed->FromCache());
  EXPECT_TRUE(Knows(*changed, kZhmykhDesign));
  EXPECT_FALSE(Knows(*changed, kShcheglomDesign));
}

// A cache file with a byte changed or cut short is built again and written anew.
TEST_F(LexiconCache, DamagedFileIsBuiltAgain) {
  Load();
  const fs::path file = OnlyCacheFile(cache_);
  std::string image = ScratchDirectory::Read(file);
  image[image.size() / 2] ^= 0x20;
  ScratchDirectory::Write(file, image);
  const std::unique_ptr<Lexicon> fromChanged = Load();
  EXPECT_FALSE(fromChanged->FromCache());
  EXPECT_TRUE(Knows(*fromChanged, kShcheglomDesign));
  EXPECT_TRUE(Load()->FromCache());

  fs::resize_file(file, fs::file_size(file) - 4096);
  const std::unique_ptr<Lexicon> fromShort = Load();
  EXPECT_FALSE(fromShort->FromCache());
  EXPECT_TRUE(Knows(*fromShort, kShcheglomDesign));
  EXPECT_TRUE(Load()->FromCache());
}

// A cache folder that cannot be made leaves the index in memory; a missing dictionary leaves
// the built-in lists.
TEST_F(LexiconCache, WorksWithoutCacheOrDictionary) {
  ScratchDirectory::Write("cache", "a file where the folder would be");
  const std::unique_ptr<Lexicon> unkept = Load();
  EXPECT_FALSE(unkept->FromCache());
  EXPECT_TRUE(Knows(*unkept, kShcheglomDesign));

  const std::unique_ptr<Lexicon> listsAlone =
      Lexicon::Load(ReplacementTable(), "missing/ru", std::nullopt);
  EXPECT_EQ(listsAlone->DictionaryState(), Lexicon::Dictionary::Missing);
  EXPECT_FALSE(Knows(*listsAlone, kShcheglomDesign));
  EXPECT_TRUE(Knows(*listsAlone, "moct"));  // мост, from the frequency list
}

// The built-in list marks the names it knows, which keep their capital inside a line: "Безье"
// is no dictionary word, and the list counts its letters small. Where the dictionary has the
// letters as a common word too, a name needs sources that never write it small: "иван" and
// "интернете" are names, but "интернет", which they write small now and then, is not.
TEST_F(LexiconCache, NamesOfTheListKeepTheirCapital) {
  ScratchDirectory::Write("ru.dic", "4\nиван\nИван\nинтернет\nинтернете\n");
  const std::unique_ptr<Lexicon> lexicon = Load();
  EXPECT_EQ(DecodeText(u"u 6e3be", ReplacementTable(), &lexicon->Index()), u"И Безье");
  EXPECT_EQ(DecodeText(u"u uBаH, uHTepHeT u uHTepHeTe", ReplacementTable(), &lexicon->Index()),
            u"И Иван, интернет и Интернете");
}

}  // namespace
}  // namespace lettermorph
