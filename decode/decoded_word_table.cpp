#include "decode/decoded_word_table.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace lettermorph {

namespace {

constexpr std::size_t kFirstSlots = 64;

}  // namespace

DecodedWordTable::DecodedWordTable(std::size_t capacity)
    : capacity_(static_cast<std::uint32_t>(std::min(capacity, decoded_word_table::kMaxWords))) {
  static_assert(sizeof(Entry) == 64, "an entry is one cache line");
}

const DecodedWord& DecodedWordTable::Insert(std::string_view token, std::uint64_t hash,
                                            const DecodedWord& word) {
  DecodedWord& added = Add(token, hash);
  // Assigned, not moved in, so that an entry reused after Clear() keeps its letters' buffer.
  added = word;
  return added;
}

DecodedWord& DecodedWordTable::Add(std::string_view token, std::uint64_t hash) {
  if (2 * (count_ + 1) > slots_.size()) {
    Grow();
  }
  if (count_ == entries_.size()) {
    // Room for every word at once: growing by doubling would move the entries and write to
    // fresh pages at every step, while pages set aside and not yet written cost no memory.
    entries_.reserve(capacity_);
    entries_.emplace_back();
  }
  Place(hash, count_);
  Entry& entry = entries_[count_++];
  if (token.size() <= decoded_word_table::kShortToken) {
    entry.tokenLength = static_cast<std::uint8_t>(token.size());
    std::memcpy(entry.token.bytes, token.data(), token.size());
  } else {
    entry.tokenLength = decoded_word_table::kLongToken;
    entry.token.far.at = static_cast<std::uint32_t>(tokens_.size());
    entry.token.far.length = static_cast<std::uint32_t>(token.size());
    tokens_ += token;
  }
  return entry;
}

// Points the first free slot from the hash's own onward at entries_[entry].
void DecodedWordTable::Place(std::uint64_t hash, std::size_t entry) {
  const std::size_t mask = slots_.size() - 1;
  std::size_t slot = hash & mask;
  while (slots_[slot] != 0) {
    slot = (slot + 1) & mask;
  }
  slots_[slot] = decoded_word_table::Tag(hash) | static_cast<std::uint32_t>(entry + 1);
}

void DecodedWordTable::Grow() {
  // A table an eighth full is a long text's: it goes straight to the slots it will end with,
  // rather than write three more tables of slots on fresh pages and place its words in each.
  const std::size_t full = std::bit_ceil(2 * std::size_t{capacity_});
  const std::size_t size = slots_.empty()            ? kFirstSlots
                           : 8 * count_ >= capacity_ ? full
                                                     : 2 * slots_.size();
  slots_.assign(size, 0);
  for (std::size_t i = 0; i < count_; ++i) {
    // Hashed again from the token: the entry has no room for its hash.
    Place(Hash(entries_[i].Token(tokens_)), i);
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
