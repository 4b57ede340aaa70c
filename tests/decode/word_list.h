#pragma once

#include <initializer_list>
#include <set>
#include <string>
#include <string_view>

#include "decode/dictionary.h"

namespace lettermorph {

// A dictionary of a few words, spelled exactly as listed: small, or capitalised for names. It
// counts the questions it is asked.
class WordList final : public Dictionary {
 public:
  WordList(std::initializer_list<std::u16string_view> words) : words_(words.begin(), words.end()) {}

  bool Knows(std::u16string_view word) const override {
    ++lookups;
    return words_.contains(std::u16string(word));
  }

  mutable int lookups = 0;

 private:
  std::set<std::u16string, std::less<>> words_;
};

}  // namespace lettermorph
