#include "decode/decoded_word_cache.h"

#include <utility>

namespace lettermorph {

DecodedWordCache::DecodedWordCache(std::size_t generationSize)
    : current_(generationSize), previous_(generationSize) {}

const DecodedWord& DecodedWordCache::DecodeMissing(std::string_view token, std::uint64_t hash,
                                                   const WordDecoder& decoder) {
  if (current_.Full()) {
    std::swap(current_, previous_);
    current_.Clear();
  }
  if (const DecodedWord* old = previous_.Find(token, hash)) {
    return current_.Insert(token, hash, *old);
  }
  decoder.Decode(token, decoded_);
  return current_.Insert(token, hash, decoded_);
}

}  // namespace lettermorph
