#include "decode/decoded_word_cache.h"

#include <utility>

namespace lettermorph {

DecodedWordCache::DecodedWordCache(std::size_t generationSize)
    : current_(generationSize), previous_(generationSize) {}

const DecodedWord& DecodedWordCache::Decode(std::string_view token, const WordDecoder& decoder) {
  const std::uint64_t hash = DecodedWordTable::Hash(token);
  if (const DecodedWord* found = current_.Find(token, hash)) {
    return *found;
  }
  MakeRoom();
  if (const DecodedWord* old = previous_.Find(token, hash)) {
    return current_.Insert(token, hash, *old);
  }
  return current_.Insert(token, hash, decoder.Decode(token));
}

const DecodedWord* DecodedWordCache::Find(std::string_view token, std::uint64_t hash) {
  if (const DecodedWord* found = current_.Find(token, hash)) {
    return found;
  }
  const DecodedWord* old = current_.Full() ? nullptr : previous_.Find(token, hash);
  return old ? &current_.Insert(token, hash, *old) : nullptr;
}

void DecodedWordCache::Remember(std::string_view token, std::uint64_t hash,
                                const DecodedWord& word) {
  if (!current_.Full() && !current_.Find(token, hash)) {
    current_.Insert(token, hash, word);
  }
}

void DecodedWordCache::MakeRoom() {
  if (current_.Full()) {
    std::swap(current_, previous_);
    current_.Clear();
  }
}

}  // namespace lettermorph
