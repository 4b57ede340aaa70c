#include "case_choice.h"

#include <algorithm>

#include "decode/look_alike_index.h"
#include "russian_letters.h"

namespace lettermorph {

CaseChoice::CaseChoice(std::u16string_view small, std::span<const std::uint8_t> cases)
    : letters_(small), cases_(cases) {
  if (cases.empty()) {
    return;
  }
  // The cases every letter after the first allows, in one pass that needs no branch.
  std::uint8_t rest = kSmallCase | kCapitalCase;
  for (std::size_t i = 1; i < cases.size(); ++i) {
    rest &= cases[i];
  }
  const std::uint8_t all = cases[0] & rest;
  small_ = all & kSmallCase;
  capitals_ = all & kCapitalCase;
  title_ = (cases[0] & kCapitalCase) && (rest & kSmallCase);
}

std::u16string CaseChoice::Spell(bool sentenceStart, bool properNoun) const {
  std::u16string word(letters_);
  const auto capitalise = [&](std::size_t from, std::size_t to) {
    std::transform(word.begin() + from, word.begin() + to, word.begin() + from, ToCapital);
  };
  if (title_ && (sentenceStart || properNoun || !small_)) {
    capitalise(0, 1);
  } else if (!small_ && capitals_) {
    capitalise(0, word.size());
  } else if (!small_) {
    // The look-alikes disagree with every whole-word form: each letter takes the case its
    // look-alike tells, and small where it tells none, but for the first, which takes a
    // capital as words run together do ("ПараметрыСервис", "ЧаВО").
    for (std::size_t i = 0; i < word.size(); ++i) {
      if (cases_[i] == kCapitalCase || (i == 0 && (cases_[0] & kCapitalCase))) {
        capitalise(i, i + 1);
      }
    }
  }
  return word;
}

std::u16string Capitalised(std::u16string_view small) {
  std::u16string word(small);
  if (!word.empty()) {
    word[0] = ToCapital(word[0]);
  }
  return word;
}

}  // namespace lettermorph
