#pragma once

#include <cstddef>
#include <string_view>

#include "decode/decoded_word_table.h"
#include "decode/word_decoder.h"

namespace lettermorph {

// Decoded tokens by their look-alike text. Real text repeats its words, and a dictionary
// lookup costs far more than a hash lookup. Memory stays bounded: when the newer of two
// generations is full the older is dropped, so words in steady use survive.
class DecodedWordCache {
 public:
  explicit DecodedWordCache(std::size_t generationSize = 1 << 15);

  // The decoding of `token`, from the cache or from `decoder`. Valid until the next call.
  const DecodedWord& Decode(std::string_view token, const WordDecoder& decoder);

 private:
  DecodedWordTable current_;
  DecodedWordTable previous_;
  DecodedWord decoded_;  // a new word, kept so that its letters' buffer serves every word
};

}  // namespace lettermorph
