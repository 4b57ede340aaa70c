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

  // The decoding of `token`, from the cache or from `decoder`. It stays where it is until a
  // generation is dropped: while Full() is false, this call drops none.
  const DecodedWord& Decode(std::string_view token, const WordDecoder& decoder);

  // Whether the newer generation is full, so that the next word it lacks drops the older.
  bool Full() const { return current_.Full(); }
  // Drops the older generation now if the newer is full.
  void MakeRoom();

  // The word stored for `token`, whose DecodedWordTable::Hash() is `hash`, in the newer
  // generation, where it is copied from the older if there is room; null if not there. Drops
  // no generation.
  const DecodedWord* Find(std::string_view token, std::uint64_t hash);
  // Stores `word` for `token` if the newer generation lacks it and has room.
  void Remember(std::string_view token, std::uint64_t hash, const DecodedWord& word);

 private:
  DecodedWordTable current_;
  DecodedWordTable previous_;
};

}  // namespace lettermorph
