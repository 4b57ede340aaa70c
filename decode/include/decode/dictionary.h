#pragma once

#include <string_view>

namespace lettermorph {

// The word list that tells the decoder which of a token's possible readings is Russian.
class Dictionary {
 public:
  virtual ~Dictionary() = default;

  // Whether `word` is spelled exactly so in the dictionary. The decoder asks for words in
  // small letters, and for proper nouns with a capital first letter; "Москва" is known and
  // "москва" is not.
  virtual bool Knows(std::u16string_view word) const = 0;
};

}  // namespace lettermorph
