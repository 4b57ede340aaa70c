#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory_resource>
#include <string>
#include <string_view>
#include <vector>

#include "decode/word_decoder.h"

namespace lettermorph {

namespace decoded_word_table {

// The most words a table holds: a slot numbers its entry in 16 bits.
inline constexpr std::size_t kMaxWords = 0xFFFF;
inline constexpr std::uint32_t kTagBits = 0xFFFF0000;
// The longest token an entry holds itself, and its mark of a longer one.
inline constexpr std::size_t kShortToken = 20;
inline constexpr std::uint8_t kLongToken = 0xFF;

}  // namespace decoded_word_table

// Decoded words by their token, in one flat open-addressing table of up to a fixed number of
// words: short tokens lie in their entries, longer ones side by side in one string, and the
// slots are indexes into the entries, so a lookup allocates nothing and a cleared table keeps its
// memory for the next words. The slots start few and double as words come, so a short text costs
// little, until the table is an eighth full and takes the slots it will end with.
class DecodedWordTable {
 public:
  // Room for `capacity` words, or decoded_word_table::kMaxWords if that is fewer.
  explicit DecodedWordTable(std::size_t capacity);

  static std::uint64_t Hash(std::string_view token);

  // The word stored for `token`, whose Hash() is `hash`, or null.
  const DecodedWord* Find(std::string_view token, std::uint64_t hash) const;
  // Stores `word` for `token`, which the table must not hold, and returns it; the table must
  // not be full.
  const DecodedWord& Insert(std::string_view token, std::uint64_t hash, const DecodedWord& word);
  // Stores `token` as Insert() does and returns its word to be written in place: what an entry
  // freed by Clear() held, with its letters' buffer, until then.
  DecodedWord& Add(std::string_view token, std::uint64_t hash);

  bool Full() const { return count_ >= capacity_; }
  void Clear();

 private:
  // A cache line each, the word and then its token: a hit compares the token and reads the
  // word on the one line its lookup loaded. A token too long to fit lies in tokens_ instead.
  // The token's fields take the word's tail padding, which a derived class may use.
  struct alignas(64) Entry : DecodedWord {
    std::uint8_t tokenLength;  // or kLongToken
    union {
      char bytes[decoded_word_table::kShortToken];
      struct {
        std::uint32_t at;
        std::uint32_t length;
      } far;  // in tokens_
    } token;

    std::string_view Token(const std::string& tokens) const {
      return tokenLength == decoded_word_table::kLongToken
                 ? std::string_view(tokens.data() + token.far.at, token.far.length)
                 : std::string_view(token.bytes, tokenLength);
    }
  };

  void Place(std::uint64_t hash, std::size_t entry);
  void Grow();

  // Half-width, side by side, the counts leave room for the entries' memory resource: the
  // table, reached for every token, keeps to 96 bytes, and the decoder's fields their places.
  std::uint32_t capacity_;  // no more than kMaxWords
  std::uint32_t count_ = 0;
  // A slot holds the index into entries_ plus one (0 when empty) in its low half and the top
  // of the hash in its high half, so that a probe seldom has to look at an entry that differs.
  // There are always at least twice as many slots as words, a power of two. Half a word each,
  // they stay in the processor's caches more than whole words would.
  std::vector<std::uint32_t> slots_;
  // The first count_ are in use. From the default memory resource, which a program may set to
  // one that serves large blocks in large pages: the entries are read at random.
  std::pmr::vector<Entry> entries_;
  std::string tokens_;
};

// Every token of a text is hashed and looked up, so these two are inline in the caller.

namespace decoded_word_table {

// The tag of a hash, as a slot holds it.
inline std::uint32_t Tag(std::uint64_t hash) {
  return static_cast<std::uint32_t>(hash >> 32) & kTagBits;
}

template <typename Word>
inline Word Load(const char* at) {
  Word word;
  std::memcpy(&word, at, sizeof word);
  return word;
}

// Whether `size` bytes at `a` and `b` are the same, by loads of a fixed size as Hash() reads
// them: tokens are short, and a call to memcmp costs more than the comparison.
inline bool SameBytes(const char* a, const char* b, std::size_t size) {
  if (size >= 8) {
    std::uint64_t differ = 0;
    for (std::size_t at = 0; at + 8 < size; at += 8) {
      differ |= Load<std::uint64_t>(a + at) ^ Load<std::uint64_t>(b + at);
    }
    return (differ | (Load<std::uint64_t>(a + size - 8) ^ Load<std::uint64_t>(b + size - 8))) == 0;
  }
  if (size >= 4) {
    return ((Load<std::uint32_t>(a) ^ Load<std::uint32_t>(b)) |
            (Load<std::uint32_t>(a + size - 4) ^ Load<std::uint32_t>(b + size - 4))) == 0;
  }
  for (std::size_t at = 0; at < size; ++at) {
    if (a[at] != b[at]) {
      return false;
    }
  }
  return true;
}

}  // namespace decoded_word_table

// Eight bytes at a time, mixed by multiplication; tokens are short, and the low bits, which
// choose the slot, depend on every byte. The bytes past the last eight are read by loads of a
// fixed size that overlap those before them: a copy of a varying length through memory would
// hold up the load that reads it back.
inline std::uint64_t DecodedWordTable::Hash(std::string_view token) {
  constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15u;
  const char* bytes = token.data();
  const std::size_t size = token.size();
  std::uint64_t hash = size * kMultiplier;
  const auto mix = [&hash](std::uint64_t block) {
    hash = (hash ^ block) * kMultiplier;
    hash ^= hash >> 29;
  };
  std::size_t at = 0;
  for (; at + 8 <= size; at += 8) {
    mix(decoded_word_table::Load<std::uint64_t>(bytes + at));
  }
  if (at < size) {
    if (size >= 8) {
      mix(decoded_word_table::Load<std::uint64_t>(bytes + size - 8));
    } else if (size >= 4) {
      mix(decoded_word_table::Load<std::uint32_t>(bytes) |
          std::uint64_t{decoded_word_table::Load<std::uint32_t>(bytes + size - 4)} << 32);
    } else {
      mix(static_cast<unsigned char>(bytes[0]) |
          std::uint64_t{static_cast<unsigned char>(bytes[size / 2])} << 8 |
          std::uint64_t{static_cast<unsigned char>(bytes[size - 1])} << 16);
    }
  }
  hash *= 0xFF51AFD7ED558CCDu;
  return hash ^ (hash >> 32);
}

inline const DecodedWord* DecodedWordTable::Find(std::string_view token, std::uint64_t hash) const {
  if (slots_.empty()) {
    return nullptr;
  }
  const std::size_t mask = slots_.size() - 1;
  const std::uint32_t tag = decoded_word_table::Tag(hash);
  for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const std::uint32_t held = slots_[slot];
    if (held == 0) {
      return nullptr;
    }
    if ((held & decoded_word_table::kTagBits) != tag) {
      continue;
    }
    const Entry& entry = entries_[(held & ~decoded_word_table::kTagBits) - 1];
    if (token.size() <= decoded_word_table::kShortToken) {
      if (entry.tokenLength == token.size() &&
          decoded_word_table::SameBytes(entry.token.bytes, token.data(), token.size())) {
        return &entry;
      }
    } else if (entry.tokenLength == decoded_word_table::kLongToken &&
               entry.token.far.length == token.size() &&
               decoded_word_table::SameBytes(tokens_.data() + entry.token.far.at, token.data(),
                                             token.size())) {
      return &entry;
    }
  }
}

}  // namespace lettermorph
