#include "decode/preferred_reading.h"

#include <algorithm>
#include <array>
#include <limits>

#include "letter_preference.h"
#include "russian_letters.h"

namespace lettermorph {
namespace {

// Whether the replacement `text` may stand for "щ" in the `cases` it stands for "ш" in.
bool MayBeShcha(const LookAlikeIndex& index, std::u16string_view text, std::uint8_t cases) {
  std::vector<const LookAlikeIndex::Entry*> matches;
  index.MatchesAt(text, matches);
  return std::any_of(matches.begin(), matches.end(), [&](const LookAlikeIndex::Entry* entry) {
    return entry->text.size() == text.size() &&
           std::any_of(entry->readings.begin(), entry->readings.end(), [&](const Reading& reading) {
             return reading.letter == u'щ' && (reading.cases & cases) == cases;
           });
  });
}

// Where one look-alike stands for both "ш" and "щ", the endings of nouns of agents
// ("трассировщик", "-щика") and of present participles ("-ающий", "-ющая", "-ущие") ask for
// "щ", which letter patterns alone never prefer.
bool ShchaEnding(std::u16string_view small, std::size_t at) {
  static constexpr std::u16string_view kParticiple[] = {
      u"ий", u"ая", u"ее", u"ие", u"их", u"ем", u"ей", u"им", u"его", u"ему", u"ую", u"ими"};
  const std::u16string_view after = small.substr(at + 1);
  if (after.starts_with(u"ик")) {
    return true;
  }
  const bool afterVowel = at > 0 && std::u16string_view(u"аяую").find(small[at - 1]) != small.npos;
  return afterVowel &&
         std::find(std::begin(kParticiple), std::end(kParticiple), after) != std::end(kParticiple);
}

}  // namespace

void PreferredReader::Offer(std::vector<State>& states, const State& offered) {
  for (State& state : states) {
    if (state.key == offered.key) {
      if (offered.penalty < state.penalty) {
        state = offered;
      }
      return;
    }
  }
  states.push_back(offered);
}

bool PreferredReader::Read(const LookAlikeIndex& index, std::u16string_view token,
                           LetterReading& reading) {
  if (token.empty()) {
    return false;
  }
  constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
  if (ending_.size() < token.size() + 1) {
    ending_.resize(token.size() + 1);
  }
  for (std::size_t at = 0; at <= token.size(); ++at) {
    ending_[at].clear();
  }
  for (std::size_t at = 0; at < token.size(); ++at) {
    if (at > 0 && ending_[at].empty()) {
      continue;
    }
    matches_.clear();
    index.MatchesAt(token.substr(at), matches_);
    // What each state here costs before a consonant, before a vowel, before "и" or "й" and
    // before "ы", worked out once for all the letters that may follow it.
    costs_.clear();
    for (const State& before : ending_[at]) {
      const auto cost = [&](bool vowel, bool i, bool yery) {
        return before.penalty +
               LetterPenalty(before.letter, before.first, before.afterVowel, vowel, i, yery);
      };
      costs_.push_back({cost(false, false, false), cost(true, false, false),
                        cost(true, true, false), cost(true, false, true)});
    }
    for (const LookAlikeIndex::Entry* entry : matches_) {
      const std::size_t end = at + entry->text.size();
      for (const Reading& reading : entry->readings) {
        if (at == 0) {
          Offer(ending_[end], {State::KeyOf(reading.letter, true, false), reading.letter,
                               reading.cases, true, false, 0, at, kNone});
          continue;
        }
        for (std::size_t i = 0; i < ending_[at].size(); ++i) {
          const State& before = ending_[at][i];
          const int penalty = costs_[i][reading.letter == u'и' || reading.letter == u'й' ? 2
                                        : reading.letter == u'ы'                         ? 3
                                        : IsVowel(reading.letter)                        ? 1
                                                                                         : 0];
          const bool afterVowel = IsVowel(before.letter);
          Offer(ending_[end], {State::KeyOf(reading.letter, false, afterVowel), reading.letter,
                               reading.cases, false, afterVowel, penalty, at, i});
        }
      }
    }
  }
  const std::vector<State>& last = ending_[token.size()];
  if (last.empty()) {
    return false;
  }
  const auto total = [](const State& s) {
    return s.penalty + LetterPenalty(s.letter, s.first, s.afterVowel, false);
  };
  const State* state =
      &*std::min_element(last.begin(), last.end(),
                         [&](const State& a, const State& b) { return total(a) < total(b); });
  reading.small.clear();
  reading.cases.clear();
  pieces_.clear();
  for (std::size_t end = token.size();;) {
    reading.small.push_back(state->letter);
    reading.cases.push_back(state->cases);
    pieces_.push_back(token.substr(state->from, end - state->from));
    if (state->parent == kNone) {
      break;
    }
    end = state->from;
    state = &ending_[state->from][state->parent];
  }
  std::reverse(reading.small.begin(), reading.small.end());
  std::reverse(reading.cases.begin(), reading.cases.end());
  std::reverse(pieces_.begin(), pieces_.end());
  for (std::size_t i = 0; i < reading.small.size(); ++i) {
    if (reading.small[i] == u'ш' && ShchaEnding(reading.small, i) &&
        MayBeShcha(index, pieces_[i], reading.cases[i])) {
      reading.small[i] = u'щ';
    }
  }
  return true;
}

}  // namespace lettermorph
