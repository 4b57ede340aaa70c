#include "decode/decoded_word_cache.h"

namespace lettermorph {

DecodedWordCache::DecodedWordCache(std::size_t generationSize) : generationSize_(generationSize) {}

const DecodedWord& DecodedWordCache::Decode(std::string_view token, const WordDecoder& decoder) {
  if (const auto found = current_.find(token); found != current_.end()) {
    return found->second;
  }
  if (current_.size() >= generationSize_) {
    previous_ = std::move(current_);
    current_.clear();
  }
  DecodedWord word;
  if (const auto old = previous_.find(token); old != previous_.end()) {
    word = std::move(old->second);
    previous_.erase(old);
  } else {
    word = decoder.Decode(token);
  }
  return current_.emplace(std::string(token), std::move(word)).first->second;
}

}  // namespace lettermorph
