#include "decode/decoded_word_cache.h"

#include <utility>

namespace lettermorph {

DecodedWordCache::DecodedWordCache(std::size_t generationSize)
    : current_(generationSize), previous_(generationSize) {}

const DecodedWord& DecodedWordCache::DecodeMissing(std::string_view token, std::uint64_t hash,
                                                   const WordDecoder& decoder) {
  MakeRoom();
  if (const DecodedWord* old = previous_.Find(token, hash)) {
    return current_.Insert(token, hash, *old);
  }
  // Decoded in place, which spares copying the word in.
  DecodedWord& word = current_.Add(token, hash);
  decoder.Decode(token, word);
  return word;
}

void DecodedWordCache::Offer(std::string_view token, std::uint64_t hash, DecodedWord&& word) {
  if (current_.Find(token, hash) == nullptr) {
    MakeRoom();
    current_.Add(token, hash) = std::move(word);
  }
}

void DecodedWordCache::MakeRoom() {
  if (current_.Full()) {
    std::swap(current_, previous_);
    current_.Clear();
  }
}

}  // namespace lettermorph
