#include "decode/word_decoder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <tuple>

#include "case_choice.h"
#include "letter_preference.h"
#include "look_alike_spelling.h"
#include "russian_letters.h"
#include "text/utf8.h"
#include "twin_contexts.h"
#include "word_index_format.h"

namespace lettermorph {
namespace {

constexpr int kHalf = kSlotCount / 2;

// The slot of a letter's small form: capitals take the first half of the slots.
int SmallSlot(int slot) {
  return slot < kHalf ? slot + kHalf : slot;
}
constexpr std::uint32_t kPutBackOdds = 64;
// Letters of the longest abbreviation without a vowel ("ПСТРБ").
constexpr std::size_t kLongestAbbreviation = 5;

bool IsAsciiDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsAsciiLower(char c) {
  return c >= 'a' && c <= 'z';
}

bool IsAsciiUpper(char c) {
  return c >= 'A' && c <= 'Z';
}

// A capital and then small letters, as a name is written: "Pepux".
bool IsTitleCase(std::string_view token) {
  return token.size() > 1 && IsAsciiUpper(token[0]) &&
         std::all_of(token.begin() + 1, token.end(), IsAsciiLower);
}

// Latin letters in small letters, capitalised or in capitals, as English words are written.
bool IsEnglishShaped(std::string_view token) {
  if (token.empty() || !(IsAsciiLower(token[0]) || IsAsciiUpper(token[0]))) {
    return false;
  }
  const std::string_view rest = token.substr(1);
  return std::all_of(rest.begin(), rest.end(), IsAsciiLower) ||
         std::all_of(rest.begin(), rest.end(), IsAsciiUpper);
}

// An identifier of English words run together ("ComboBox", "myForm", "oDoc"): Latin letters
// only, a small-letter start of one letter or an English word, then English words of three
// letters or more, each starting with a capital. Shorter capitalised parts ("CuEn", "apeHg")
// are as likely the look-alikes of a Russian word the index lacks.
bool IsEnglishCompound(std::string_view token, const WordIndex& index) {
  if (token.empty() || !std::all_of(token.begin(), token.end(),
                                    [](char c) { return IsAsciiLower(c) || IsAsciiUpper(c); })) {
    return false;
  }
  std::string part;
  int words = 0;
  for (std::size_t start = 0; start < token.size();) {
    std::size_t end = start + 1;
    while (end < token.size() && IsAsciiLower(token[end])) {
      ++end;
    }
    const bool prefix = start == 0 && IsAsciiLower(token[0]);
    if (!prefix && end - start < 3) {
      return false;
    }
    part.clear();
    for (std::size_t i = start; i < end; ++i) {
      part += FoldAscii(token[i]);
    }
    if (part.size() > 1 && !index.IsEnglish(WordIndex::Key(part))) {
      return false;
    }
    words += prefix ? 0 : 1;
    start = end;
  }
  return words >= 1 && !(words == 1 && IsAsciiUpper(token[0]));
}

bool IsHexDigit(char c) {
  return IsAsciiDigit(c) || (c >= 'a' && c <= 'f');
}

// A digit alone that stands for a letter before a small one ("npu6op", "6are"): English
// words and identifiers put digits at the end ("mp3"), in runs ("64k", "b64"), or before an
// "x" that stands for any digit ("4xx", "power6x"); hex numbers ("3ac4") are left alone.
bool HasLetterDigit(std::string_view token) {
  for (std::size_t i = 0; i + 1 < token.size(); ++i) {
    if (IsAsciiDigit(token[i]) && IsAsciiLower(token[i + 1]) && token[i + 1] != 'x' &&
        (i == 0 || !IsAsciiDigit(token[i - 1]))) {
      return token.size() >= 4 && !std::all_of(token.begin(), token.end(), IsHexDigit);
    }
  }
  return false;
}

// An ending of Russian adjectives, nouns and verbs that no English word has in look-alikes:
// "ой", "ий", "ии", "их", "ого", "ому", "ему" and "сь" read from "ou", "uu", "ux", "oro",
// "omy", "emy" and "cb" ("Tpaccupyemou", "camonognucb"). Short words are left to English.
bool HasRussianEnding(std::u16string_view small) {
  static constexpr std::u16string_view kEndings[] = {u"ой",  u"ий",  u"ии",  u"их",
                                                     u"ого", u"ому", u"ему", u"сь"};
  return small.size() >= 6 &&
         std::any_of(std::begin(kEndings), std::end(kEndings),
                     [&](std::u16string_view end) { return small.ends_with(end); });
}

bool IsOneLetterWord(std::u16string_view small) {
  return small.size() == 1 && std::u16string_view(u"абвжикосуя").find(small[0]) != small.npos;
}

// A word ending in "-ии" or "-ий" after a consonant, as the case forms of nouns such as
// "версия" do, or in "-аи", "-еи", "-ои" and their "-й" ("случаи", "идеи", "герои"), and long
// enough not to be a pronoun.
bool MayHaveEndingTwin(std::u16string_view small) {
  if (small.size() < 5 || (small.back() != u'и' && small.back() != u'й')) {
    return false;
  }
  const char16_t before = small[small.size() - 2];
  return before == u'и' ? !IsVowel(small[small.size() - 3])
                        : before == u'а' || before == u'е' || before == u'о';
}

std::string Utf8(std::u16string_view text) {
  std::string bytes;
  AppendUtf8(text, bytes);
  return bytes;
}

// Appends `letters` to `out` as UTF-8. Russian letters are two bytes each, written in place:
// the general encoder adds them a byte at a time.
void AppendLetters(std::u16string_view letters, std::string& out) {
  const std::size_t start = out.size();
  out.resize(start + 2 * letters.size());
  char* at = out.data() + start;
  for (const char16_t letter : letters) {
    if (letter < 0x80 || letter >= 0x800) {
      out.resize(start);
      AppendUtf8(letters, out);
      return;
    }
    *at++ = static_cast<char>(0xC0 | (letter >> 6));
    *at++ = static_cast<char>(0x80 | (letter & 0x3F));
  }
}

// One known form that the token may be, and what it says for choosing it.
struct Candidate {
  std::u16string small;
  std::vector<std::uint8_t> cases;
  bool fits = true;  // some whole-word spelling agrees with every look-alike
  // A letter was put back that vanishes where a word is spelled small ("ъ") or as the capital
  // that starts it ("А"), rather than one lost from a word in capitals.
  bool putBack = false;
  std::uint32_t count = 0;
  bool properNoun = false;
  bool capitals = false;  // stored in capitals, as an abbreviation is
  // The letters' preference penalty, worked out only when it breaks a tie; -1 until then.
  mutable int penalty = -1;

  // Better first: a form whose case fits, the more frequent, one with no letter put back, a
  // common word before a name with its letters, and the likelier letters. A letter put back is
  // a guess, so that form needs to be far more frequent to win: "FuJI" is "ФАЙЛ", not the
  // slip "фйл" that the frequencies met twice.
  auto Rank() const {
    const std::uint32_t weight = putBack ? count / kPutBackOdds : count;
    return std::make_tuple(!fits, -std::int64_t{weight}, putBack, -std::int64_t{count}, properNoun);
  }

  int Penalty() const {
    if (penalty < 0) {
      penalty = PreferencePenalty(small);
    }
    return penalty;
  }

  bool Before(const Candidate& other) const {
    const auto rank = Rank();
    const auto otherRank = other.Rank();
    return rank != otherRank ? rank < otherRank : Penalty() < other.Penalty();
  }
};

// The letters of `match` with the cases their look-alikes in `token` allow, in `candidate`,
// whose buffers are reused; false when the token's case fits no look-alike of a letter, or a
// vanished letter cannot stand where the match puts it. kPieceBytes bytes past the token's
// end must be readable.
bool Align(const WordIndex::Match& match, std::string_view token, const LookAlikeSpelling& spelling,
           Candidate& candidate) {
  // Sized once and written letter by letter: appending checks the room at every letter.
  candidate.small.resize(match.slots.size());
  candidate.cases.resize(match.slots.size());
  candidate.fits = true;
  candidate.putBack = false;
  candidate.count = match.count;
  candidate.properNoun = !match.slots.empty() && match.slots[0] < kHalf;
  bool storedInCapitals = true;
  // The cases the first letter allows and those every letter after it allows: which
  // whole-word spellings fit.
  std::uint8_t firstCases = kSmallCase | kCapitalCase;
  std::uint8_t restCases = kSmallCase | kCapitalCase;
  std::size_t at = 0;
  std::size_t shown = 0;
  bool showsCapital = false;
  bool capitalVanishedFirst = false;
  bool capitalVanishedInside = false;
  const std::size_t capitals = word_index_format::CapitalLetters(match.variant, match.slots.size());
  for (std::size_t i = 0; i < match.slots.size(); ++i) {
    const std::uint8_t written = word_index_format::WrittenSlot(match.slots[i], i < capitals);
    const int small = SmallSlot(written);
    const std::size_t length = std::min(spelling.Length(written), token.size() - at);
    std::uint8_t cases = 0;
    if (spelling.ShortPieces()) {
      const std::uint64_t piece = PieceAt(token.data() + at, length);
      cases |=
          spelling.Length(small) == length && spelling.ExactPiece(small) == piece ? kSmallCase : 0;
      cases |=
          spelling.Length(small - kHalf) == length && spelling.ExactPiece(small - kHalf) == piece
              ? kCapitalCase
              : 0;
    } else {
      const std::string_view piece = token.substr(at, length);
      cases |= SamePiece(spelling.Exact(small), piece) ? kSmallCase : 0;
      cases |= SamePiece(spelling.Exact(small - kHalf), piece) ? kCapitalCase : 0;
    }
    at += length;
    // The token's letters in a case no look-alike of the letter has ("d" for "D"): another word.
    if (cases == 0) {
      return false;
    }
    if (length == 0) {
      candidate.putBack = candidate.putBack || (cases & kSmallCase) || i == 0;
      capitalVanishedFirst = capitalVanishedFirst || (cases == kCapitalCase && i == 0);
      capitalVanishedInside = capitalVanishedInside || (cases == kCapitalCase && i > 0);
    } else {
      ++shown;
      showsCapital = showsCapital || cases == kCapitalCase;
    }
    candidate.small[i] = kSlotLetters[small];
    candidate.cases[i] = cases;
    storedInCapitals = storedInCapitals && match.slots[i] < kHalf;
    if (i == 0) {
      firstCases = cases;
    } else {
      restCases &= cases;
    }
  }
  candidate.capitals = match.slots.size() > 1 && storedInCapitals;
  const WordSpellings fit(firstCases, restCases);
  // A capital "А" vanishes from the start of a word of two letters or more ("JIekceu"), and
  // from inside a word in capitals that shows capitals of its own ("nPMETP") or is long
  // enough not to be such a word by chance ("3rJIBH9I"); otherwise "III" would read as "ША"
  // and "x" as "Ах". An abbreviation kept in capitals ("АЗС") loses its "А" only where its
  // other letters can be capitals too: "3c" is no "Азс".
  if ((capitalVanishedFirst && (shown < 2 || (candidate.capitals && !fit.capitals))) ||
      (capitalVanishedInside && (!fit.capitals || (!showsCapital && shown < 3)))) {
    return false;
  }
  candidate.fits = fit.Any();
  candidate.putBack = candidate.putBack || (capitalVanishedInside && !showsCapital);
  candidate.penalty = -1;
  return true;
}

// Words that name a control of a program's window, written small, before the control's
// own name, which takes a capital: "вкладка Шрифт", "нажмите кнопку Отмена".
bool NamesControl(std::string_view small) {
  // Most words are told apart by their length in bytes or their first two letters.
  static constexpr std::array<std::string_view, 6> kStarts = {"вк", "кн", "зн", "фл", "ко", "ин"};
  if (small.size() < 12 || small.size() > 22 ||
      std::find(kStarts.begin(), kStarts.end(), small.substr(0, 4)) == kStarts.end()) {
    return false;
  }
  static constexpr std::array<std::string_view, 16> kNouns = {
      "вкладка", "вкладку", "вкладке",    "вкладкой",   "кнопка", "кнопку",
      "кнопкой", "значок",  "значка",     "значком",    "флажок", "флажка",
      "флажком", "команду", "инструмент", "инструмента"};
  return std::find(kNouns.begin(), kNouns.end(), small) != kNouns.end();
}

// A verb in the polite imperative, in small letters, as help tells the reader what to do:
// "выберите", "откройте".
bool IsPoliteCommand(std::string_view small) {
  // Most words fail on their last byte, the second of "е".
  return small.size() >= 10 && small.back() == '\xB5' &&
         (small.ends_with("\u0438\u0442\u0435") || small.ends_with("\u0439\u0442\u0435"));
}

// "свой", "мой", "твой" and their plurals in "-и", in small letters.
bool IsPossessiveTwin(std::string_view small) {
  static constexpr std::array<std::string_view, 6> kWords = {"свой", "свои", "мой",
                                                             "мои",  "твой", "твои"};
  return (small.size() == 6 || small.size() == 8) &&
         std::find(kWords.begin(), kWords.end(), small) != kWords.end();
}

}  // namespace

void AppendSpelled(const DecodedWord& word, DecodedWord::Spelling spelling, std::string& out) {
  const std::string_view letters = word.letters;
  if (spelling == DecodedWord::kSmall || word.spellings == 0) {
    out += letters;
    return;
  }
  // Every letter is two bytes of UTF-8: small "а" to "п" are D0 B0..BF, "р" to "я" D1 80..8F,
  // "ё" D1 91; their capitals are D0 90..AF and D0 81.
  for (std::size_t at = 0; at + 1 < letters.size(); at += 2) {
    const auto lead = static_cast<unsigned char>(letters[at]);
    const auto next = static_cast<unsigned char>(letters[at + 1]);
    if (at > 0 && spelling == DecodedWord::kTitle) {
      out += letters.substr(at);
      return;
    }
    if (lead == 0xD0 && next >= 0xB0) {
      out += static_cast<char>(0xD0);
      out += static_cast<char>(next - 0x20);
    } else if (lead == 0xD1 && next >= 0x80 && next <= 0x8F) {
      out += static_cast<char>(0xD0);
      out += static_cast<char>(next + 0x20);
    } else if (lead == 0xD1 && next == 0x91) {
      out += "\xD0\x81";
    } else {
      out += letters.substr(at, 2);
    }
  }
}

void MarkRoles(DecodedWord& word) {
  word.namesControl = NamesControl(word.letters);
  word.politeCommand = IsPoliteCommand(word.letters);
  word.possessiveTwin = IsPossessiveTwin(word.letters);
}

struct WordDecoder::Ranking {
  Candidate best;
  Candidate candidate;
};

WordDecoder::~WordDecoder() = default;

WordDecoder::WordDecoder(const ReplacementTable& table, const WordIndex* index)
    : letters_(table), index_(index), ranking_(std::make_unique<Ranking>()) {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    replacements_[slot] = *table.ReplacementAt(slot);
    if (replacements_[slot].size() > 1) {
      const std::string& lookAlike = longLookAlikes_.emplace_back(Utf8(replacements_[slot]));
      if (std::all_of(lookAlike.begin(), lookAlike.end(), IsAsciiUpper) &&
          (lookAlike.find("II") != lookAlike.npos || lookAlike.find("JI") != lookAlike.npos)) {
        capitalMarks_.push_back(lookAlike);
      }
    }
  }
  for (int slot = 0; slot < kHalf; ++slot) {
    const std::u16string& capital = replacements_[slot];
    if (capital.size() == 1 && capital == replacements_[slot + kHalf] &&
        ((capital[0] >= u'a' && capital[0] <= u'z') ||
         (capital[0] >= u'0' && capital[0] <= u'9'))) {
      sharedCase_[static_cast<unsigned char>(capital[0])] = true;
    }
  }
  if (index_) {
    static constexpr std::array<std::u16string_view, 48> kPrefixes = {
        u"не",      u"недо",  u"фото",  u"макро", u"микро", u"псевдо", u"полу",   u"авто",
        u"мета",    u"анти",  u"до",    u"по",    u"про",   u"пере",   u"при",    u"за",
        u"на",      u"вы",    u"со",    u"само",  u"много", u"мульти", u"гипер",  u"видео",
        u"аудио",   u"радио", u"теле",  u"нано",  u"мини",  u"квази",  u"ультра", u"стерео",
        u"электро", u"термо", u"гидро", u"аэро",  u"био",   u"гео",    u"нео",    u"мега",
        u"гига",    u"кило",  u"моно",  u"поли",  u"ре",    u"де",     u"кросс",  u"инфо"};
    for (const std::u16string_view prefix : kPrefixes) {
      Prefix& entry = prefixes_.emplace_back();
      for (const char16_t letter : prefix) {
        entry.slots.push_back(static_cast<std::uint8_t>(SlotOf(letter)));
      }
      index_->Spelling().AppendFolded(entry.slots, entry.folded);
    }
    std::stable_sort(prefixes_.begin(), prefixes_.end(), [](const Prefix& a, const Prefix& b) {
      return a.slots.size() > b.slots.size();
    });
  }
  for (const Reading& reading : letters_.Vanished()) {
    if ((reading.cases & kCapitalCase) && vanishedInitial_.empty() &&
        std::u16string_view(u"ъыьй").find(reading.letter) == std::u16string_view::npos) {
      vanishedInitial_ = Utf8(std::u16string(1, ToCapital(reading.letter)));
    }
  }
}

bool WordDecoder::LooksRussian(std::string_view token) const {
  // A capital after a small letter ("reTe", "TpeHga") is how the look-alikes of "т", "н" or
  // "м" stand inside a word; English words seldom have one.
  const auto capitalInside = std::adjacent_find(token.begin(), token.end(), [](char a, char b) {
    return IsAsciiLower(a) && IsAsciiUpper(b);
  });
  return capitalInside != token.end() || HasLetterDigit(token) || InCapitals(token) ||
         std::any_of(token.begin(), token.end(), [](char c) { return c & 0x80; }) ||
         std::any_of(
             longLookAlikes_.begin(), longLookAlikes_.end(),
             [&](const std::string& lookAlike) { return token.find(lookAlike) != token.npos; });
}

// A word in capitals holding a look-alike that English words hardly ever hold ("KYJIEIIIOB",
// "CTOTKJIA"): "I" twice running and another letter ("III", "IIL"), or "J" before "I".
// Look-alikes such as "IL" ("FILE") are no sign, and Roman numerals ("XIII") are numbers.
bool WordDecoder::OnlyRussianCapitals(std::string_view token) const {
  if (token.size() < 4 || !std::all_of(token.begin(), token.end(), IsAsciiUpper) ||
      std::all_of(token.begin(), token.end(), [](char c) {
        return std::string_view("IVXLCDM").find(c) != std::string_view::npos;
      })) {
    return false;
  }
  return std::any_of(capitalMarks_.begin(), capitalMarks_.end(),
                     [&](const std::string& mark) { return token.find(mark) != token.npos; });
}

// Capitals mixed with small letters that capital and small Russian letters share ("OKPBHu3"
// is "ОКРВНИЗ"): a word in capitals, as English never mixes them ("CPUs", "MP3").
bool WordDecoder::InCapitals(std::string_view token) const {
  int capitals = 0;
  bool sharedSmall = false;
  for (const char c : token) {
    if (IsAsciiUpper(c)) {
      ++capitals;
    } else if (sharedCase_[static_cast<unsigned char>(c)]) {
      sharedSmall = sharedSmall || IsAsciiLower(c);
    } else {
      return false;
    }
  }
  return capitals >= 2 && sharedSmall;
}

void WordDecoder::Read(std::string_view text, DecodedWord& word) const {
  // One pass makes the copy the token is read from, with zeros after it so that its
  // look-alikes can be compared a word at a time up to its end, its folded look-alike and
  // that one's hash, and its count of characters: the bytes that start one.
  const std::size_t size = text.size();
  token_.resize(size + kPieceBytes);
  folded_.resize(size);
  char* const copy = token_.data();
  char* const folded = folded_.data();
  std::size_t characters = 0;
  std::uint64_t hash = kLookAlikeHashStart;
  for (std::size_t i = 0; i < size; ++i) {
    const char c = text[i];
    copy[i] = c;
    folded[i] = FoldAscii(c);
    hash = LookAlikeHashByte(hash, folded[i]);
    characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }
  std::fill(copy + size, copy + size + kPieceBytes, '\0');
  const std::string_view token(token_.data(), size);
  const WordIndex::Key key(folded_, LookAlikeHashEnd(hash));
  const bool latin = IsEnglishShaped(token);
  // The lookups below wait on memory far off in a large index: their first loads go out now,
  // so that the wait overlaps the work before them.
  if (index_) {
    index_->Prefetch(key, latin);
  }
  // Afresh, but with the letters' buffer kept for this word's letters.
  std::string letters = std::move(word.letters);
  letters.clear();
  word = DecodedWord{};
  word.letters = std::move(letters);
  word.characters = static_cast<std::uint16_t>(characters);
  if (!token.empty() && std::all_of(token.begin(), token.end(), IsAsciiDigit)) {
    word.kind = DecodedWord::Kind::Number;
    return;
  }
  word.latin = latin;
  const bool english = word.latin && index_ && index_->IsEnglish(key);
  // Kept on a foreign word too: an English word there tells that English prose stands around
  // it, where a name or a piece of code does not.
  word.listedEnglish = english;
  Choice& choice = choice_;
  choice.Clear();
  if (ChooseKnown(token, key, choice)) {
    // An English word whose Russian reading the frequency list never met is English.
    if (english && choice.count == 0) {
      return;
    }
    word.mayBeEnglish = english;
    word.strayLetter = word.latin && token.size() == 1 && !IsOneLetterWord(choice.small);
  } else if (english || (index_ && ((!word.latin && !LooksRussian(token)) ||
                                    IsEnglishCompound(token, *index_)))) {
    return;
  } else if (!word.latin && ChooseCompound(token, folded_, choice)) {
    // A prefix before a known word ("фото" and "идентификатор") reads as the two do.
  } else if (preferred_.Read(letters_, Utf16FromUtf8(token), reading_)) {
    // Latin letters in one case are English or code, unless their ending or their capitals
    // are Russian.
    const bool onlyRussian = word.latin && OnlyRussianCapitals(token);
    if (index_ && word.latin && !HasRussianEnding(reading_.small) && !onlyRussian) {
      if (!IsTitleCase(token)) {
        return;
      }
      word.nameAfterInitials = true;
    }
    choice.small = reading_.small;
    choice.cases = reading_.cases;
    word.mayBeEnglish = word.latin && !onlyRussian;
    word.strayLetter = word.latin && token.size() == 1 && !IsOneLetterWord(choice.small);
  } else {
    return;
  }
  // A short word of several letters and no vowel is an abbreviation ("ЦП", "ГБ"): in capitals
  // where its look-alikes show no case at all; one that shows a capital first may be "Кб".
  const auto showsNoCase = [](std::uint8_t cases) { return cases == (kSmallCase | kCapitalCase); };
  if (choice.small.size() > 1 && choice.small.size() <= kLongestAbbreviation &&
      std::none_of(choice.small.begin(), choice.small.end(), IsVowel) &&
      std::all_of(choice.cases.begin(), choice.cases.end(), showsNoCase)) {
    std::fill(choice.cases.begin(), choice.cases.end(), kCapitalCase);
  }
  const CaseChoice cases(choice.small, choice.cases);
  word.kind = DecodedWord::Kind::Russian;
  word.properNoun = choice.properNoun;
  word.endingTwin = choice.endingTwin;
  word.finalATwin = choice.finalATwin;
  if (choice.endingTwin) {
    word.countedTwin = choice.shortICount > 0;
    ReadTwin(choice, word);
  }
  SetAsks(choice.small, word);
  word.twinContext = TwinContexts::BuiltIn().ContextOf(choice.small);
  word.spellings = (cases.AllowsSmall() ? DecodedWord::kSmall : 0) |
                   (cases.AllowsTitle() ? DecodedWord::kTitle : 0) |
                   (cases.AllowsCapitals() ? DecodedWord::kCapitals : 0);
  if (choice.properNoun && (word.spellings & ~DecodedWord::kSmall) != 0) {
    word.spellings &= ~DecodedWord::kSmall;
  }
  if (word.spellings != 0) {
    AppendLetters(choice.small, word.letters);
  } else {
    AppendLetters(cases.Spell(false, false), word.letters);
  }
}

// The likeliest known form the token spells, if any; `folded` is its folded look-alike.
bool WordDecoder::ChooseKnown(std::string_view token, const WordIndex::Key& folded,
                              Choice& choice) const {
  if (!index_) {
    return false;
  }
  matches_.clear();
  index_->FindRussian(folded, matches_);
  if (matches_.empty()) {
    return false;
  }
  // Align resets all that a kept candidate holds, so the two trade roles, not contents.
  Candidate* kept = &ranking_->best;
  Candidate* next = &ranking_->candidate;
  bool found = false;
  for (const WordIndex::Match& match : matches_) {
    if (Align(match, token, index_->Spelling(), *next) && (!found || next->Before(*kept))) {
      std::swap(kept, next);
      found = true;
    }
  }
  if (!found) {
    return false;
  }
  Candidate& best = *kept;
  Candidate& candidate = *next;
  if (MayHaveEndingTwin(best.small)) {
    std::u16string twin = best.small;
    twin.back() = twin.back() == u'и' ? u'й' : u'и';
    // Only a form of the same length whose last letter is the twin's is worth aligning.
    const int last = SlotOf(twin.back());
    for (const WordIndex::Match& match : matches_) {
      if (match.slots.size() != twin.size() || SmallSlot(match.slots.back()) != last) {
        continue;
      }
      if (Align(match, token, index_->Spelling(), candidate) && candidate.small == twin &&
          candidate.fits == best.fits && candidate.putBack == best.putBack &&
          candidate.cases.back() == best.cases.back()) {
        choice.endingTwin = true;
        const bool bestShortI = best.small.back() == u'й';
        choice.shortICount = bestShortI ? best.count : candidate.count;
        choice.iCount = bestShortI ? candidate.count : best.count;
        break;
      }
    }
  }
  // Only a word that shows capitals past its first letter may be in capitals.
  if (best.small.size() >= 3 && best.small.back() != u'а' &&
      std::find(best.cases.begin() + 1, best.cases.end(), kCapitalCase) != best.cases.end()) {
    for (const WordIndex::Match& match : matches_) {
      if (match.slots.size() == best.small.size() + 1 &&
          SmallSlot(match.slots.back()) == SlotOf(u'а') &&
          Align(match, token, index_->Spelling(), candidate) && candidate.fits &&
          candidate.small.back() == u'а' && candidate.cases.back() == kCapitalCase &&
          std::equal(best.small.begin(), best.small.end(), candidate.small.begin())) {
        choice.finalATwin = true;
        break;
      }
    }
  }
  // Traded rather than copied: the best's buffers serve a later token's candidates as well.
  choice.small.swap(best.small);
  choice.cases.swap(best.cases);
  choice.properNoun = best.properNoun;
  choice.count = best.count;
  // An abbreviation is written in capitals wherever its look-alikes allow them.
  if (best.capitals && CaseChoice(choice.small, choice.cases).AllowsCapitals()) {
    std::fill(choice.cases.begin(), choice.cases.end(), kCapitalCase);
  }
  return true;
}

// A word none knows that is a prefix ending in a vowel and a known word of four letters or
// more: "фотоидентификатор", "неизменённых". Letter by letter it would read "й" after the
// prefix's vowel ("фотойдентификатор"), as inside a word.
bool WordDecoder::ChooseCompound(std::string_view token, std::string_view folded,
                                 Choice& choice) const {
  if (!index_) {
    return false;
  }
  for (const Prefix& prefix : prefixes_) {
    // Most prefixes differ in their first byte, which is tested before calling compare.
    if (folded.size() < prefix.folded.size() + 4 ||
        (!prefix.folded.empty() && folded[0] != prefix.folded[0]) ||
        !folded.starts_with(prefix.folded)) {
      continue;
    }
    Candidate head;
    const WordIndex::Match match{prefix.slots, 0, 0, 0};
    if (!Align(match, token, index_->Spelling(), head) || head.putBack) {
      continue;
    }
    Choice rest;
    if (ChooseKnown(token.substr(prefix.folded.size()),
                    WordIndex::Key(folded.substr(prefix.folded.size())), rest) &&
        rest.small.size() >= 4) {
      choice.small = head.small + rest.small;
      choice.endingTwin = rest.endingTwin;
      choice.shortICount = rest.shortICount;
      choice.iCount = rest.iCount;
      choice.cases = head.cases;
      choice.cases.insert(choice.cases.end(), rest.cases.begin(), rest.cases.end());
      return true;
    }
  }
  return false;
}

bool WordDecoder::Knows(std::u16string_view small, std::uint32_t* count) const {
  knownSlots_.clear();
  for (const char16_t letter : small) {
    const int slot = SlotOf(letter);
    if (slot < kHalf) {
      return false;
    }
    knownSlots_.push_back(static_cast<std::uint8_t>(slot));
  }
  knownFolded_.clear();
  index_->Spelling().AppendFolded(knownSlots_, knownFolded_);
  knownMatches_.clear();
  index_->FindRussian(WordIndex::Key(knownFolded_), knownMatches_);
  for (const WordIndex::Match& match : knownMatches_) {
    if (std::equal(
            match.slots.begin(), match.slots.end(), knownSlots_.begin(), knownSlots_.end(),
            [](std::uint8_t stored, std::uint8_t wanted) { return SmallSlot(stored) == wanted; })) {
      if (count) {
        *count = match.count;
      }
      return true;
    }
  }
  return false;
}

// A twin's kind of noun, told by its other forms, and the odds of its form in "-ий".
void WordDecoder::ReadTwin(const Choice& choice, DecodedWord& word) const {
  const double odds = std::log((choice.shortICount + 0.5) / (choice.iCount + 0.5));
  using Limits = std::numeric_limits<std::int8_t>;
  word.shortIOdds = static_cast<std::int8_t>(std::clamp(std::lround(odds * TwinContexts::kOddsUnit),
                                                        long{Limits::min()}, long{Limits::max()}));
  const std::u16string_view small = choice.small;
  if (small[small.size() - 2] != u'и') {
    word.twinKind = TwinContexts::kVowelBefore;
    return;
  }
  // The frequency list counts the noun's nominative in "-ие": a dictionary's rare word that
  // a feminine noun's letters spell ("копие" beside "копия") is left out.
  std::u16string form(small);
  form.back() = u'е';
  std::uint32_t count = 0;
  if (Knows(form, &count) && count > 0) {
    word.neuterTwin = true;
    word.twinKind = TwinContexts::kLikeMessage;
    return;
  }
  // A masculine noun has "-ем" in the instrumental ("комментарием"), a feminine one "-ей".
  form += u'м';
  word.twinKind = Knows(form) ? TwinContexts::kLikeComment : TwinContexts::kLikeVersion;
}

// What a word asks of the word after it. A preposition of place or topic takes the singular
// "-ии" ("при версии", "в функции"), and so does an adjective in the same case ("во
// вспомогательном сообщении") or in the plural ("эти случаи", "другие функции"). A count, an
// adjective in the genitive plural ("несколько версий", "новых функций") or one in the
// nominative singular ("неверный комментарий") takes "-ий". Words of quantity take it of
// counted nouns only: "много информации" is singular. So do plural nouns, whose genitive is
// mostly of a plural ("коды операций", but "файлы документации"). Prepositions that take the
// genitive and adjectives in it ("этого") ask for the genitive.
void WordDecoder::SetAsks(std::u16string_view small, DecodedWord& word) const {
  using Asks = DecodedWord::Asks;
  struct Entry {
    std::u16string_view word;
    Asks asks;
    bool genitive;
  };
  // Kept by length, with the first letters of each length as bits ("а" to "я"), so that most
  // words meet none of them and the rest a few.
  constexpr std::size_t kLongest = 11;
  struct Bucket {
    std::uint32_t firstLetters = 0;
    std::vector<Entry> entries;
  };
  static const std::array<Bucket, kLongest + 1> kWords = [] {
    std::array<Bucket, kLongest + 1> words;
    const auto add = [&](std::initializer_list<std::u16string_view> list, Asks asks,
                         bool genitive) {
      for (const std::u16string_view word : list) {
        words[word.size()].firstLetters |= 1u << (word[0] - u'а');
        words[word.size()].entries.push_back({word, asks, genitive});
      }
    };
    add({u"при", u"о", u"об", u"обо", u"в", u"во", u"на", u"по"}, Asks::PlaceI, false);
    add({u"этом", u"каждом", u"своём", u"своем", u"моём", u"моем", u"твоём", u"твоем", u"нашем",
         u"вашем", u"одном", u"эти", u"те", u"все", u"свои", u"мои", u"твои", u"наши"},
        Asks::EndingI, false);
    add({u"несколько", u"двух", u"трёх", u"трех", u"четырёх", u"четырех", u"список", u"набор",
         u"ряд", u"всех"},
        Asks::EndingShortI, false);
    add({u"много", u"мало", u"немного", u"немало", u"множество", u"количество", u"число",
         u"сколько", u"столько", u"большинство", u"большинстве"},
        Asks::CountedShortI, false);
    // Nouns that name a collection ask as words of quantity do: "набора инструкций", "группа
    // функций", "семейство функций".
    add({u"набора",    u"набору",   u"набором",   u"наборе",    u"списка",    u"списку",
         u"списком",   u"списке",   u"списки",    u"группа",    u"группы",    u"группе",
         u"группу",    u"группой",  u"семейство", u"семейства", u"семейству", u"семейством",
         u"семействе", u"перечень", u"перечня",   u"перечню",   u"перечнем",  u"перечне"},
        Asks::CountedShortI, false);
    add({u"и", u"или", u"а", u"либо", u"но", u"её", u"ее", u"его", u"их"}, Asks::Nothing, false);
    add({u"один", u"одна", u"одно", u"одной", u"одним", u"одного", u"одну", u"одному"}, Asks::OneOf,
        false);
    add({u"из", u"для", u"от", u"до", u"без", u"у", u"после", u"кроме", u"вместо", u"около",
         u"среди", u"нет"},
        Asks::Unmarked, true);
    return words;
  }();
  const std::uint32_t first = small.empty() ? 32 : small[0] - u'а';
  if (small.size() <= kLongest && first < 32 &&
      (kWords[small.size()].firstLetters >> first & 1) != 0) {
    for (const Entry& entry : kWords[small.size()].entries) {
      if (entry.word == small) {
        word.asks = entry.asks;
        word.asksGenitive = entry.genitive;
        return;
      }
    }
  }
  // The last two letters as one number, compared at once rather than a letter at a time.
  const auto pair = [](char16_t first, char16_t second) {
    return std::uint32_t{first} << 16 | second;
  };
  const std::uint32_t end = small.size() >= 2 ? pair(small[small.size() - 2], small.back()) : 0;
  if (small.size() >= 4 &&
      (end == pair(u'ы', u'х') || end == pair(u'и', u'х') || end == pair(u'ы', u'й'))) {
    word.asks = Asks::EndingShortI;
  } else if (small.size() >= 4 && (end == pair(u'о', u'в') || small.back() == u'ы')) {
    // A plural noun's ending, as an adjective's below, is checked only when a twin follows.
    word.asks = Asks::IfNoun;
  } else if (small.size() >= 5 && (end == pair(u'о', u'м') || end == pair(u'е', u'м') ||
                                   end == pair(u'ы', u'е') || end == pair(u'и', u'е'))) {
    // An adjective's ending is checked only when a twin follows, which is seldom.
    word.asks = Asks::IfAdjective;
  } else {
    word.asks = Asks::Unmarked;
    word.asksGenitive = small.size() >= 5 && end == pair(u'г', u'о') &&
                        (small[small.size() - 3] == u'о' || small[small.size() - 3] == u'е');
  }
}

// An adjective shows itself by its genitive plural: "-ом", "-ем", "-ые" and "-ие" beside "-ых"
// or "-их" ("входящем", "входящих"; "другие", "других"), where a noun's instrumental
// ("списком") or a noun in "-ие" ("значение") has none. After "г", "к", "х" and hushing
// letters, and in soft stems, it is "-их".
bool WordDecoder::IsAdjective(std::string_view letters) const {
  if (!index_) {
    return false;
  }
  std::u16string form = Utf16FromUtf8(letters);
  if (form.size() < 5) {
    return false;
  }
  const std::u16string_view small = form;
  const bool soft =
      small.ends_with(u"ем") || small.ends_with(u"ие") ||
      std::u16string_view(u"гкхжшщч").find(small[small.size() - 3]) != std::u16string_view::npos;
  form.resize(form.size() - 2);
  form += soft ? u"их" : u"ых";
  return Knows(form);
}

// A noun in "-ы" or "-ов" shows itself by its instrumental plural ("коды", "кодов": "кодами";
// "группы": "группами"), which a short adjective or participle lacks ("доступны",
// "установлены").
bool WordDecoder::IsNoun(std::string_view letters) const {
  if (!index_) {
    return false;
  }
  std::u16string form = Utf16FromUtf8(letters);
  if (form.size() < 4) {
    return false;
  }
  form.resize(form.size() - (form.ends_with(u"ов") ? 2 : 1));
  form += u"ами";
  return Knows(form);
}

}  // namespace lettermorph
