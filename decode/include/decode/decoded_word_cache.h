#pragma once

#include <cstddef>
#include <cstdint>
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
  // Most tokens are met again: the lookup that finds them is inline.
  const DecodedWord& Decode(std::string_view token, const WordDecoder& decoder) {
    const std::uint64_t hash = DecodedWordTable::Hash(token);
    if (const DecodedWord* found = current_.Find(token, hash)) {
      return *found;
    }
    return DecodeMissing(token, hash, decoder);
  }

  // Keeps `word`, decoded elsewhere, for `token`, unless the cache holds the token already.
  void Offer(std::string_view token, std::uint64_t hash, DecodedWord&& word);

 private:
  const DecodedWord& DecodeMissing(std::string_view token, std::uint64_t hash,
                                   const WordDecoder& decoder);
  // Makes room in the current generation, dropping the older one when it is full.
  void MakeRoom();

  DecodedWordTable current_;
  DecodedWordTable previous_;
};

}  // namespace lettermorph
