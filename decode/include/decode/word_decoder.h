#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "decode/look_alike_index.h"
#include "decode/preferred_reading.h"
#include "decode/word_index.h"
#include "recode/replacement_table.h"

namespace lettermorph {

// What one token of look-alike text reads as.
struct DecodedWord {
  enum class Kind : std::uint8_t {
    Number,   // digits only: copied, and says nothing about the language around it
    Foreign,  // no Russian reading, or an English word that no Russian text uses: copied
    Russian,  // written in one of the spellings below
  };
  // Whole-word spellings: small letters, a capital first, or capitals throughout.
  enum Spelling : std::uint8_t { kSmall = 1, kTitle = 2, kCapitals = 4 };

  // First, and the flags after it one bit each, so that the word is small and ends in room
  // that the word cache fills with the word's token: one cache line holds both.
  std::string letters;  // UTF-8
  Kind kind = Kind::Foreign;
  // Latin letters in one case, as English and code are written: the text joined to it may
  // show that it is code ("-u", "koi8-r", "O_NOATIME").
  bool latin : 1 = false;
  // It is an English word as well: its neighbours decide ("no", "He").
  bool mayBeEnglish : 1 = false;
  // The English word list has it, whether or not it has a Russian reading as well.
  bool listedEnglish : 1 = false;
  // Latin letters in Title Case that read as a Russian surname letter by letter ("Pepux"):
  // Russian only right after initials, and foreign anywhere else.
  bool nameAfterInitials : 1 = false;
  // A Latin letter alone that reads as no Russian word ("n", "T"): Russian only as an
  // abbreviation, with its full stop ("T. e.").
  bool strayLetter : 1 = false;
  // A known word whose first letter is a capital whatever its place ("Москва").
  bool properNoun : 1 = false;
  // A known word that reads as well with its last letter "и" as with "й" ("версии",
  // "версий"); the word before it may tell which.
  bool endingTwin : 1 = false;
  // Such twins of a noun in "-ие" ("сообщение"), whose "-ии" stands only where a preposition
  // or an adjective of place asks for it ("в этом сообщении"); elsewhere it is "-ий".
  bool neuterTwin : 1 = false;
  // The frequency list counts the twin in "-ий": the noun is counted, not a mass.
  bool countedTwin : 1 = false;
  // A known word in capitals that reads as well with a vanished "А" at its end ("ФАЙЛ",
  // "ФАЙЛА"): the genitive, which a word before it may ask for.
  bool finalATwin : 1 = false;
  // It asks for a genitive after it: "из", "для", or an adjective in "-ого" ("этого").
  bool asksGenitive : 1 = false;
  // What the words around it ask of it, kept here as they ask on every token: it names a
  // control of a program's window, before the control's own name, which takes a capital
  // ("вкладка Шрифт", "нажмите кнопку Отмена"); it is a verb in the polite imperative, as
  // help tells the reader what to do ("выберите", "откройте"); it is a possessive whose "й"
  // and "и" look alike ("свой", "свои"), which the word after it shows.
  bool namesControl : 1 = false;
  bool politeCommand : 1 = false;
  bool possessiveTwin : 1 = false;
  // Which of such twins a word asks for after it: "при версии", "нескольких версий"; a word
  // of quantity ("много") asks for "-ий" only of a noun that is counted ("много функций",
  // "много информации"). Unmarked is a word that asks for neither, so that a noun in "-ие"
  // after it stands in no prepositional phrase; after a conjunction or a possessive ("и",
  // "её"), as after punctuation, nothing is known. IfAdjective is a word with an adjective's
  // ending ("-ом", "-ые"), which asks for "-ии" if it is one. IfNoun is a word with a plural
  // noun's ending ("-ы", "-ов"), which asks as a word of quantity does if it is one: a plural
  // names counted things of counted things ("коды операций", "группы инструкций").
  enum class Asks : std::uint8_t {
    Nothing,
    Unmarked,
    PlaceI,  // a preposition's "-ии": of nouns in "-ия" and "-ие" only
    EndingI,
    EndingShortI,
    CountedShortI,
    IfAdjective,
    IfNoun,
    OneOf  // "одна", "одной": before "из" it makes "из" ask for "-ий" ("одна из функций")
  };
  Asks asks = Asks::Nothing;
  // As a twin in "-ии" or "-ий": its kind of noun (a TwinContexts::Kind) and how much likelier
  // its form in "-ий" is than the one in "-ии" by their frequencies, in eighths of a natural
  // logarithm.
  std::uint8_t twinKind = 0;
  std::int8_t shortIOdds = 0;
  // As a word before such a twin: what it says of its ending (a TwinContexts context).
  std::uint16_t twinContext = 0xFFFF;
  // The token's length in characters, which the line it stands on counts: kept with the
  // word so that a token met again need not be read again. Word tokens are at most a few
  // hundred bytes long.
  std::uint16_t characters = 0;
  // The spellings the look-alikes allow. None when they disagree with every one: each
  // letter of `letters` then has the case its look-alike shows.
  std::uint8_t spellings = 0;
};

// Appends `word`'s letters to `out` spelled as `spelling` asks.
void AppendSpelled(const DecodedWord& word, DecodedWord::Spelling spelling, std::string& out);

// Sets the flags of what the words around `word` ask of it, by its letters.
void MarkRoles(DecodedWord& word);

// Reads one token. A token that spells known Russian words, written in any case, is the most
// frequent of them, preferring one where no letter vanished, unless it is an English word
// that Russian text seldom uses. One that spells none is read letter by letter by the fixed
// preference where it looks Russian: a look-alike of several characters ("JI", "}|{"), a
// Cyrillic one, a capital inside or a digit before a small letter; Latin letters in one case only
// when they read with a Russian ending ("-ой", "-ий") or are capitals that English words hardly
// ever hold ("JI", "III"). Without an index every token that can be read at all is read letter by
// letter.
class WordDecoder {
 public:
  // Keeps a pointer to `index`, which may be null and must have been built for `table`, and a
  // copy of the table.
  WordDecoder(const ReplacementTable& table, const WordIndex* index);
  ~WordDecoder();

  // Decodes into `word`, whose letters' buffer it reuses.
  void Decode(std::string_view token, DecodedWord& word) const {
    Read(token, word);
    MarkRoles(word);
  }
  DecodedWord Decode(std::string_view token) const {
    DecodedWord word;
    Decode(token, word);
    return word;
  }

  // Whether `letters`, a word in small letters in UTF-8 that asks IfAdjective, is an adjective.
  bool IsAdjective(std::string_view letters) const;
  // Whether `letters`, a word in small letters in UTF-8 that asks IfNoun, is a noun.
  bool IsNoun(std::string_view letters) const;

  // The table's replacements, whose characters belong to words.
  std::span<const std::u16string> Replacements() const { return replacements_; }

  // A letter that may start a name and whose capital vanishes from recoded text, so that its
  // initial is a full stop alone ("А. С." is ". C."), as UTF-8; empty when there is none.
  const std::string& VanishedInitial() const { return vanishedInitial_; }

 private:
  struct Choice {
    std::u16string small;
    std::vector<std::uint8_t> cases;
    bool properNoun = false;
    bool endingTwin = false;
    bool finalATwin = false;
    std::uint32_t shortICount = 0;  // the frequency list's count of the twin in "-ий"
    std::uint32_t iCount = 0;       // and of the twin in "-ии"
    std::uint32_t count = 0;

    // Empties it for the next token, with its buffers kept.
    void Clear() {
      small.clear();
      cases.clear();
      properNoun = endingTwin = finalATwin = false;
      shortICount = iCount = count = 0;
    }
  };

  // Decode() but for the flags that MarkRoles() sets.
  void Read(std::string_view token, DecodedWord& word) const;
  bool ChooseKnown(std::string_view token, const WordIndex::Key& folded, Choice& choice) const;
  bool ChooseCompound(std::string_view token, std::string_view folded, Choice& choice) const;
  // Whether the index holds `small`, a form in small letters, and how often it was counted.
  bool Knows(std::u16string_view small, std::uint32_t* count = nullptr) const;
  void SetAsks(std::u16string_view small, DecodedWord& word) const;
  void ReadTwin(const Choice& choice, DecodedWord& word) const;

  bool LooksRussian(std::string_view token) const;
  bool InCapitals(std::string_view token) const;
  bool OnlyRussianCapitals(std::string_view token) const;

  LookAlikeIndex letters_;
  std::array<std::u16string, kSlotCount> replacements_;
  std::vector<std::string> longLookAlikes_;  // UTF-8 replacements of two characters or more
  // Those of Latin capitals that English words hardly ever hold ("JI", "III").
  std::vector<std::string> capitalMarks_;
  // ASCII letters and digits that stand for a capital and its small letter alike ("u").
  std::array<bool, 256> sharedCase_{};  // by byte, so that any byte of a token may ask
  const WordIndex* index_;
  // Prefixes that end in a vowel, longest first: their slots and folded look-alike.
  struct Prefix {
    std::vector<std::uint8_t> slots;
    std::string folded;
  };
  std::vector<Prefix> prefixes_;
  std::string vanishedInitial_;
  mutable std::string token_;  // the token being decoded, and zeros after it
  mutable std::string folded_;
  mutable Choice choice_;  // the token's reading, kept so that its buffers serve every token
  mutable std::vector<WordIndex::Match> matches_;
  mutable std::vector<WordIndex::Match> knownMatches_;
  mutable std::vector<std::uint8_t> knownSlots_;
  mutable std::string knownFolded_;
  mutable PreferredReader preferred_;
  mutable LetterReading reading_;  // kept, as choice_ is, for its buffers
  // The two candidates that ranking a token's matches trades between, kept from word to word
  // so that ranking allocates only while their buffers grow to the longest form met.
  struct Ranking;
  std::unique_ptr<Ranking> ranking_;
};

}  // namespace lettermorph
