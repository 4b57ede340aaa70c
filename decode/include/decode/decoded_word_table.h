#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "decode/word_decoder.h"

namespace lettermorph {

// Decoded words by their token, in one flat open-addressing table of up to a fixed number of
// words: the tokens lie side by side in one string and the slots are indexes into the
// entries, so a lookup allocates nothing and a cleared table keeps its memory for the next
// words. The slots start few and double as words come, so a short text costs little.
class DecodedWordTable {
 public:
  // Room for `capacity` words.
  explicit DecodedWordTable(std::size_t capacity);

  static std::uint64_t Hash(std::string_view token);

  // The word stored for `token`, whose Hash() is `hash`, or null.
  const DecodedWord* Find(std::string_view token, std::uint64_t hash) const;
  // Stores `word` for `token`, which the table must not hold, and returns it; the table must
  // not be full.
  const DecodedWord& Insert(std::string_view token, std::uint64_t hash, const DecodedWord& word);

  bool Full() const { return count_ >= capacity_; }
  void Clear();

 private:
  // A cache line each: the word read after a lookup lies on the line the lookup loaded.
  struct alignas(64) Entry {
    std::uint64_t hash;
    std::uint32_t tokenAt;  // in tokens_
    std::uint32_t tokenLength;
    DecodedWord word;
  };

  void Place(std::uint64_t hash, std::size_t entry);
  void Grow();

  std::size_t capacity_;
  // A slot holds the index into entries_ plus one (0 when empty) in its low half and the top
  // of the hash in its high half, so that a probe seldom has to look at an entry that differs.
  // There are always at least twice as many slots as words, a power of two.
  std::vector<std::uint64_t> slots_;
  std::vector<Entry> entries_;  // the first count_ are in use
  std::size_t count_ = 0;
  std::string tokens_;
};

}  // namespace lettermorph
