#include "decode/word_decoder.h"

#include <algorithm>

#include "case_choice.h"
#include "letter_preference.h"
#include "text/utf8.h"

namespace lettermorph {
namespace {

// Readings with a letter put back are tried from this many of the best plain readings.
constexpr std::size_t kBasesForVanished = 16;

bool IsAsciiDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsAsciiLower(char c) {
  return c >= 'a' && c <= 'z';
}

bool IsAsciiUpper(char c) {
  return c >= 'A' && c <= 'Z';
}

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

}  // namespace

WordDecoder::WordDecoder(const ReplacementTable& table, const Dictionary* dictionary)
    : index_(table), dictionary_(dictionary) {}

DecodedWord WordDecoder::Decode(std::string_view token) const {
  DecodedWord word;
  if (!token.empty() && std::all_of(token.begin(), token.end(), IsAsciiDigit)) {
    word.kind = DecodedWord::Kind::Number;
    return word;
  }
  word.englishShaped = IsEnglishShaped(token);
  const CandidateLattice lattice(index_, Utf16FromUtf8(token));
  const std::optional<Choice> choice = Choose(lattice);
  if (!choice) {
    return word;
  }
  const Candidate& best = choice->candidate;
  const CaseChoice cases(best.small, best.cases);
  word.kind = DecodedWord::Kind::Russian;
  word.inSentence = Utf8(cases.Spell(false, choice->properNoun));
  word.atSentenceStart = Utf8(cases.Spell(true, choice->properNoun));
  return word;
}

std::optional<WordDecoder::Choice> WordDecoder::Choose(const CandidateLattice& lattice) const {
  const std::vector<Candidate>& candidates = lattice.Candidates();
  if (candidates.empty()) {
    return std::nullopt;
  }
  if (!dictionary_) {
    return Choice{candidates.front(), false};
  }
  int lookups = 0;
  std::optional<Choice> choice = FirstKnown(candidates, lookups);
  if (!choice) {
    choice = FirstKnown(WithVanishedLetter(candidates), lookups);
  }
  if (choice) {
    PreferYo(*choice);
  }
  return choice;
}

std::optional<WordDecoder::Choice> WordDecoder::FirstKnown(const std::vector<Candidate>& candidates,
                                                           int& lookups) const {
  for (const Candidate& candidate : candidates) {
    if (lookups >= kMaxLookups) {
      break;
    }
    lookups += 2;
    if (const std::optional<bool> properNoun =
            KnownAsProperNoun(candidate.small, (candidate.cases.front() & kCapitalCase) != 0)) {
      return Choice{candidate, *properNoun};
    }
  }
  return std::nullopt;
}

// Every reading with one vanished letter put back at any place where the look-alikes still
// allow a whole-word case: a capital "А" only first (or in a word in capitals), "ъ" anywhere.
// Those that put it at the start come first.
std::vector<Candidate> WordDecoder::WithVanishedLetter(
    const std::vector<Candidate>& candidates) const {
  std::vector<Candidate> variants;
  const std::size_t bases = std::min(candidates.size(), kBasesForVanished);
  std::size_t longest = 0;
  for (std::size_t base = 0; base < bases; ++base) {
    longest = std::max(longest, candidates[base].small.size());
  }
  for (std::size_t place = 0; place <= longest; ++place) {
    for (std::size_t base = 0; base < bases; ++base) {
      if (place > candidates[base].small.size()) {
        continue;
      }
      for (const Reading& reading : index_.Vanished()) {
        // A letter that vanishes only as a capital ("А") goes inside a word only when the
        // word shows capitals of its own; otherwise "III" would read as "ША".
        if (place > 0 && reading.cases == kCapitalCase &&
            std::find(candidates[base].cases.begin(), candidates[base].cases.end(), kCapitalCase) ==
                candidates[base].cases.end()) {
          continue;
        }
        Candidate variant = candidates[base];
        variant.small.insert(variant.small.begin() + place, reading.letter);
        variant.cases.insert(variant.cases.begin() + place, reading.cases);
        variant.sources.insert(variant.sources.begin() + place, nullptr);
        if (CaseChoice(variant.small, variant.cases).AllowsAny()) {
          variants.push_back(std::move(variant));
        }
      }
    }
  }
  return variants;
}

// The dictionary knows "еще" as well as "ещё": a known spelling with "ё" in place of an "е"
// that its look-alike may also stand for is taken instead.
void WordDecoder::PreferYo(Choice& choice) const {
  Candidate& best = choice.candidate;
  if (KeepsPlainE(best.small)) {
    return;
  }
  for (std::size_t i = 0; i < best.small.size(); ++i) {
    if (best.small[i] != u'е' || !best.sources[i]) {
      continue;
    }
    const auto& readings = best.sources[i]->readings;
    const auto yo = std::find_if(readings.begin(), readings.end(), [&](const Reading& r) {
      return r.letter == u'ё' && (r.cases & best.cases[i]) != 0;
    });
    if (yo == readings.end()) {
      continue;
    }
    std::u16string spelled = best.small;
    spelled[i] = u'ё';
    if (const std::optional<bool> properNoun =
            KnownAsProperNoun(spelled, (best.cases.front() & kCapitalCase) != 0)) {
      best.small = std::move(spelled);
      best.cases[i] &= yo->cases;
      choice.properNoun = *properNoun;
      return;
    }
  }
}

// Empty when the dictionary knows the word in neither form; otherwise whether it knows it
// only with a capital. Names are not looked up where the first look-alike is a small letter
// only, which halves the lookups for a token that is no word.
std::optional<bool> WordDecoder::KnownAsProperNoun(std::u16string_view small,
                                                   bool mayBeName) const {
  if (dictionary_->Knows(small)) {
    return false;
  }
  if (mayBeName && dictionary_->Knows(Capitalised(small))) {
    return true;
  }
  return std::nullopt;
}

}  // namespace lettermorph
