#include "decode/decoded_word_table.h"

#include <algorithm>
#include <cstring>

namespace lettermorph {

namespace {

constexpr std::size_t kFirstSlots = 64;
constexpr std::uint64_t kTagBits = ~std::uint64_t{0xFFFFFFFF};

template <typename Word>
Word Load(const char* at) {
  Word word;
  std::memcpy(&word, at, sizeof word);
  return word;
}

// Whether `size` bytes at `a` and `b` are the same, by loads of a fixed size as Hash() reads
// them: tokens are short, and a call to memcmp costs more than the comparison.
bool SameBytes(const char* a, const char* b, std::size_t size) {
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

}  // namespace

DecodedWordTable::DecodedWordTable(std::size_t capacity) : capacity_(capacity) {}

// Eight bytes at a time, mixed by multiplication; tokens are short, and the low bits, which
// choose the slot, depend on every byte. The bytes past the last eight are read by loads of a
// fixed size that overlap those before them: a copy of a varying length through memory would
// hold up the load that reads it back.
std::uint64_t DecodedWordTable::Hash(std::string_view token) {
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
    mix(Load<std::uint64_t>(bytes + at));
  }
  if (at < size) {
    if (size >= 8) {
      mix(Load<std::uint64_t>(bytes + size - 8));
    } else if (size >= 4) {
      mix(Load<std::uint32_t>(bytes) | std::uint64_t{Load<std::uint32_t>(bytes + size - 4)} << 32);
    } else {
      mix(static_cast<unsigned char>(bytes[0]) |
          std::uint64_t{static_cast<unsigned char>(bytes[size / 2])} << 8 |
          std::uint64_t{static_cast<unsigned char>(bytes[size - 1])} << 16);
    }
  }
  hash *= 0xFF51AFD7ED558CCDu;
  return hash ^ (hash >> 32);
}

const DecodedWord* DecodedWordTable::Find(std::string_view token, std::uint64_t hash) const {
  if (slots_.empty()) {
    return nullptr;
  }
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const std::uint64_t held = slots_[slot];
    if (held == 0) {
      return nullptr;
    }
    if ((held & kTagBits) != (hash & kTagBits)) {
      continue;
    }
    const Entry& entry = entries_[(held & 0xFFFFFFFF) - 1];
    if (entry.hash == hash && entry.tokenLength == token.size() &&
        SameBytes(tokens_.data() + entry.tokenAt, token.data(), token.size())) {
      return &entry.word;
    }
  }
}

const DecodedWord& DecodedWordTable::Insert(std::string_view token, std::uint64_t hash,
                                            const DecodedWord& word) {
  if (2 * (count_ + 1) > slots_.size()) {
    Grow();
  }
  if (count_ == entries_.size()) {
    entries_.emplace_back();
  }
  Place(hash, count_);
  Entry& entry = entries_[count_++];
  entry.hash = hash;
  entry.tokenAt = static_cast<std::uint32_t>(tokens_.size());
  entry.tokenLength = static_cast<std::uint32_t>(token.size());
  // Assigned, not moved in, so that an entry reused after Clear() keeps its letters' buffer.
  entry.word = word;
  tokens_ += token;
  return entry.word;
}

// Points the first free slot from the hash's own onward at entries_[entry].
void DecodedWordTable::Place(std::uint64_t hash, std::size_t entry) {
  const std::size_t mask = slots_.size() - 1;
  std::size_t slot = hash & mask;
  while (slots_[slot] != 0) {
    slot = (slot + 1) & mask;
  }
  slots_[slot] = (hash & kTagBits) | (entry + 1);
}

void DecodedWordTable::Grow() {
  slots_.assign(slots_.empty() ? kFirstSlots : 2 * slots_.size(), 0);
  for (std::size_t i = 0; i < count_; ++i) {
    Place(entries_[i].hash, i);
  }
}

void DecodedWordTable::Clear() {
  if (count_ > 0) {
    std::fill(slots_.begin(), slots_.end(), 0);
  }
  count_ = 0;
  tokens_.clear();
}

}  // namespace lettermorph
