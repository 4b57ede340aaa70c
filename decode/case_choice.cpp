#include "case_choice.h"

#include <algorithm>
#include <cstring>

#include "decode/look_alike_index.h"
#include "russian_letters.h"

namespace lettermorph {
namespace {

template <typename Word>
Word Load(const std::uint8_t* at) {
  Word word;
  std::memcpy(&word, at, sizeof word);
  return word;
}

// The cases that every letter of `cases` allows. Words are short: their letters are read a
// few at a time, by loads that may overlap, as a letter read twice changes nothing.
std::uint8_t CasesOfAll(std::span<const std::uint8_t> cases) {
  constexpr std::uint8_t kAny = kSmallCase | kCapitalCase;
  const std::uint8_t* at = cases.data();
  const std::size_t size = cases.size();
  if (size < 4) {
    return size == 0 ? kAny : at[0] & at[size / 2] & at[size - 1] & kAny;
  }
  std::uint32_t all;
  if (size >= 8) {
    std::uint64_t eight = ~std::uint64_t{0};
    for (std::size_t i = 0; i + 8 <= size; i += 8) {
      eight &= Load<std::uint64_t>(at + i);
    }
    eight &= Load<std::uint64_t>(at + size - 8);
    all = static_cast<std::uint32_t>(eight & (eight >> 32));
  } else {
    all = Load<std::uint32_t>(at) & Load<std::uint32_t>(at + size - 4);
  }
  all &= all >> 16;
  all &= all >> 8;
  return static_cast<std::uint8_t>(all & kAny);
}

}  // namespace

CaseChoice::CaseChoice(std::u16string_view small, std::span<const std::uint8_t> cases)
    : letters_(small), cases_(cases) {
  if (cases.empty()) {
    return;
  }
  const WordSpellings fit(cases[0], CasesOfAll(cases.subspan(1)));
  small_ = fit.small;
  title_ = fit.title;
  capitals_ = fit.capitals;
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
