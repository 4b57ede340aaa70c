#include "decode/word_decoder.h"

#include <algorithm>
#include <tuple>

#include "case_choice.h"
#include "letter_preference.h"
#include "look_alike_spelling.h"
#include "preferred_reading.h"
#include "russian_letters.h"
#include "text/utf8.h"

namespace lettermorph {
namespace {

constexpr int kHalf = kSlotCount / 2;

bool IsAsciiDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsAsciiLower(char c) {
  return c >= 'a' && c <= 'z';
}

bool IsAsciiUpper(char c) {
  return c >= 'A' && c <= 'Z';
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

std::string Utf8(std::u16string_view text) {
  std::string bytes;
  AppendUtf8(text, bytes);
  return bytes;
}

// One known form that the token may be, and what it says for choosing it.
struct Candidate {
  std::u16string small;
  std::vector<std::uint8_t> cases;
  bool fits = true;  // every letter's look-alike is exactly the token's, case and all
  // A letter was put back that vanishes where a word is spelled small ("ъ") or as the capital
  // that starts it ("А"), rather than one lost from a word in capitals.
  bool putBack = false;
  std::uint32_t count = 0;
  bool properNoun = false;
  bool capitals = false;  // stored in capitals, as an abbreviation is
  int penalty = 0;

  // Better first: a form whose case fits, one with no letter put back, the more frequent, a
  // common word before a name with its letters, and the likelier letters.
  auto Rank() const {
    return std::make_tuple(!fits, putBack, -std::int64_t{count}, properNoun, penalty);
  }
};

// The letters of `match` with the cases their look-alikes in `token` allow; nothing when a
// vanished letter cannot stand where the match puts it.
std::optional<Candidate> Align(const WordIndex::Match& match, std::string_view token,
                               const LookAlikeSpelling& spelling) {
  Candidate candidate;
  candidate.count = match.count;
  candidate.properNoun = !match.slots.empty() && match.slots[0] < kHalf;
  candidate.capitals =
      match.slots.size() > 1 && std::all_of(match.slots.begin(), match.slots.end(),
                                            [](std::uint8_t slot) { return slot < kHalf; });
  std::size_t at = 0;
  std::size_t shown = 0;
  bool showsCapital = false;
  bool capitalVanishedFirst = false;
  bool capitalVanishedInside = false;
  for (std::size_t i = 0; i < match.slots.size(); ++i) {
    const std::uint8_t written = VariantSlot(match.slots, i, match.variant);
    const int small = written < kHalf ? written + kHalf : written;
    const std::size_t length = spelling.Folded(written).size();
    const std::string_view piece = token.substr(at, length);
    at += length;
    std::uint8_t cases = 0;
    cases |= spelling.Exact(small) == piece ? kSmallCase : 0;
    cases |= spelling.Exact(small - kHalf) == piece ? kCapitalCase : 0;
    candidate.fits = candidate.fits && cases != 0;
    if (length == 0) {
      candidate.putBack = candidate.putBack || (cases & kSmallCase) || i == 0;
      capitalVanishedFirst = capitalVanishedFirst || (cases == kCapitalCase && i == 0);
      capitalVanishedInside = capitalVanishedInside || (cases == kCapitalCase && i > 0);
    } else {
      ++shown;
      showsCapital = showsCapital || cases == kCapitalCase;
    }
    candidate.small.push_back(kSlotLetters[small]);
    // A letter whose look-alike has the token's letters in another case takes the case the
    // form was found under.
    const std::uint8_t found = written < kHalf ? kCapitalCase : kSmallCase;
    candidate.cases.push_back(cases != 0 ? cases : found);
  }
  // A capital "А" vanishes from the start of a word of two letters or more ("JIekceu"), and
  // from inside a word in capitals, which shows capitals of its own ("nPMETP"); otherwise
  // "III" would read as "ША" and "x" as "Ах".
  if ((capitalVanishedFirst && shown < 2) || (capitalVanishedInside && !showsCapital)) {
    return std::nullopt;
  }
  candidate.fits = candidate.fits && CaseChoice(candidate.small, candidate.cases).AllowsAny();
  candidate.penalty = PreferencePenalty(candidate.small);
  return candidate;
}

}  // namespace

WordDecoder::WordDecoder(const ReplacementTable& table, const WordIndex* index)
    : letters_(table), index_(index) {}

DecodedWord WordDecoder::Decode(std::string_view token) const {
  DecodedWord word;
  if (!token.empty() && std::all_of(token.begin(), token.end(), IsAsciiDigit)) {
    word.kind = DecodedWord::Kind::Number;
    return word;
  }
  const bool englishShaped = IsEnglishShaped(token);
  Choice choice;
  if (ChooseKnown(token, choice)) {
    word.mayBeEnglish = englishShaped && index_->IsEnglish(folded_);
  } else if (englishShaped && index_ && index_->IsEnglish(folded_)) {
    return word;
  } else if (std::optional<LetterReading> reading =
                 ReadByPreference(letters_, Utf16FromUtf8(token))) {
    choice.small = std::move(reading->small);
    choice.cases = std::move(reading->cases);
    word.mayBeEnglish = englishShaped;
  } else {
    return word;
  }
  const CaseChoice cases(choice.small, choice.cases);
  word.kind = DecodedWord::Kind::Russian;
  word.properNoun = choice.properNoun;
  std::u16string plain = cases.Spell(false, choice.properNoun);
  std::u16string capitalised = cases.Spell(true, choice.properNoun);
  word.plain = Utf8(plain);
  word.capitalised = Utf8(capitalised);
  if (plain == capitalised) {
    word.first = plain[0] == ToSmall(plain[0]) ? DecodedWord::FirstLetter::Small
                                               : DecodedWord::FirstLetter::Capital;
  }
  return word;
}

// The likeliest known form the token spells, if any.
bool WordDecoder::ChooseKnown(std::string_view token, Choice& choice) const {
  folded_.clear();
  for (const char c : token) {
    folded_ += FoldAscii(c);
  }
  if (!index_) {
    return false;
  }
  matches_.clear();
  index_->FindRussian(folded_, matches_);
  if (matches_.empty()) {
    return false;
  }
  std::optional<Candidate> best;
  for (const WordIndex::Match& match : matches_) {
    std::optional<Candidate> candidate = Align(match, token, index_->Spelling());
    if (candidate && (!best || candidate->Rank() < best->Rank())) {
      best = std::move(candidate);
    }
  }
  if (!best) {
    return false;
  }
  choice.small = std::move(best->small);
  choice.cases = std::move(best->cases);
  choice.properNoun = best->properNoun;
  // An abbreviation is written in capitals wherever its look-alikes allow them.
  if (best->capitals && CaseChoice(choice.small, choice.cases).AllowsCapitals()) {
    std::fill(choice.cases.begin(), choice.cases.end(), kCapitalCase);
  }
  return true;
}

}  // namespace lettermorph
