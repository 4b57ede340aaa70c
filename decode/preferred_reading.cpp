#include "preferred_reading.h"

#include <algorithm>
#include <array>
#include <limits>

#include "letter_preference.h"
#include "russian_letters.h"

namespace lettermorph {
namespace {

// A best path that ends at some position with `letter`; its own penalty waits for the letter
// after it, which tells whether a vowel follows.
struct State {
  // The letter, and whether it is the first and follows a vowel, in one number: states that
  // agree on these compete, and comparing one number is quick.
  static std::uint32_t KeyOf(char16_t letter, bool first, bool afterVowel) {
    return letter | (first ? 1u << 16 : 0) | (afterVowel ? 1u << 17 : 0);
  }

  std::uint32_t key;
  char16_t letter;
  std::uint8_t cases;
  bool first;
  bool afterVowel;
  int penalty;         // of the letters before it
  std::size_t from;    // the position the letter's replacement starts at
  std::size_t parent;  // index of the state before it at `from`, or npos for the first letter
};

void Offer(std::vector<State>& states, const State& offered) {
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

std::optional<LetterReading> ReadByPreference(const LookAlikeIndex& index,
                                              std::u16string_view token) {
  if (token.empty()) {
    return std::nullopt;
  }
  constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
  // The states of each position, kept from token to token so that their memory is taken once
  // rather than a few times for every letter of every token.
  thread_local std::vector<std::vector<State>> ending;
  thread_local std::vector<const LookAlikeIndex::Entry*> matches;
  thread_local std::vector<std::array<int, 2>> costs;
  if (ending.size() < token.size() + 1) {
    ending.resize(token.size() + 1);
  }
  for (std::size_t at = 0; at <= token.size(); ++at) {
    ending[at].clear();
  }
  for (std::size_t at = 0; at < token.size(); ++at) {
    if (at > 0 && ending[at].empty()) {
      continue;
    }
    matches.clear();
    index.MatchesAt(token.substr(at), matches);
    // What each state here costs before a consonant and before a vowel, worked out once for
    // all the letters that may follow it.
    costs.clear();
    for (const State& before : ending[at]) {
      costs.push_back(
          {before.penalty + LetterPenalty(before.letter, before.first, before.afterVowel, false),
           before.penalty + LetterPenalty(before.letter, before.first, before.afterVowel, true)});
    }
    for (const LookAlikeIndex::Entry* entry : matches) {
      const std::size_t end = at + entry->text.size();
      for (const Reading& reading : entry->readings) {
        if (at == 0) {
          Offer(ending[end], {State::KeyOf(reading.letter, true, false), reading.letter,
                              reading.cases, true, false, 0, at, kNone});
          continue;
        }
        for (std::size_t i = 0; i < ending[at].size(); ++i) {
          const State& before = ending[at][i];
          const int penalty = costs[i][IsVowel(reading.letter) ? 1 : 0];
          const bool afterVowel = IsVowel(before.letter);
          Offer(ending[end], {State::KeyOf(reading.letter, false, afterVowel), reading.letter,
                              reading.cases, false, afterVowel, penalty, at, i});
        }
      }
    }
  }
  const std::vector<State>& last = ending[token.size()];
  if (last.empty()) {
    return std::nullopt;
  }
  const auto total = [](const State& s) {
    return s.penalty + LetterPenalty(s.letter, s.first, s.afterVowel, false);
  };
  const State* state =
      &*std::min_element(last.begin(), last.end(),
                         [&](const State& a, const State& b) { return total(a) < total(b); });
  LetterReading reading;
  std::vector<std::u16string_view> pieces;
  for (std::size_t end = token.size();;) {
    reading.small.push_back(state->letter);
    reading.cases.push_back(state->cases);
    pieces.push_back(token.substr(state->from, end - state->from));
    if (state->parent == kNone) {
      break;
    }
    end = state->from;
    state = &ending[state->from][state->parent];
  }
  std::reverse(reading.small.begin(), reading.small.end());
  std::reverse(reading.cases.begin(), reading.cases.end());
  std::reverse(pieces.begin(), pieces.end());
  for (std::size_t i = 0; i < reading.small.size(); ++i) {
    if (reading.small[i] == u'ш' && ShchaEnding(reading.small, i) &&
        MayBeShcha(index, pieces[i], reading.cases[i])) {
      reading.small[i] = u'щ';
    }
  }
  return reading;
}

}  // namespace lettermorph
