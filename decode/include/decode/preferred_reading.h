#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "decode/look_alike_index.h"

namespace lettermorph {

// A token read letter by letter: the letters in small form, and for each the cases (LetterCase
// bits) that its look-alike allows.
struct LetterReading {
  std::u16string small;
  std::vector<std::uint8_t> cases;
};

// Reads a token that is no known word by letter preference alone. It keeps its working memory
// from token to token, so that the memory is taken once rather than a few times for every
// letter of every token; each thread reads with a reader of its own.
class PreferredReader {
 public:
  // The likeliest way to cut `token` into replacements and read each as one of its letters,
  // in `reading`, whose buffers are reused; false when it cannot be cut so. Letters that
  // vanished are not guessed. Linear in the token's length, however many readings it has.
  bool Read(const LookAlikeIndex& index, std::u16string_view token, LetterReading& reading);

 private:
  // A best path that ends at some position with `letter`; its own penalty waits for the
  // letter after it, which tells whether a vowel, and which, follows.
  struct State {
    // The letter, and whether it is the first and follows a vowel, in one number: states
    // that agree on these compete, and comparing one number is quick.
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

  static void Offer(std::vector<State>& states, const State& offered);

  std::vector<std::vector<State>> ending_;  // the states of each position
  std::vector<const LookAlikeIndex::Entry*> matches_;
  std::vector<std::array<int, 4>> costs_;
  std::vector<std::u16string_view> pieces_;  // of the token, one a letter of the reading
};

}  // namespace lettermorph
