#include "word_index_format.h"

#include <cstring>

namespace lettermorph::word_index_format {

std::optional<Layout> LayoutOf(const Header& header) {
  if (header.russianSlots == 0 || header.russianOffsetBits > kMaxOffsetBits ||
      header.englishBucketBits > kMaxBucketBits) {
    return std::nullopt;
  }
  // Every size is at most 2^32, so none of the sums below can overflow 64 bits.
  std::uint64_t at = sizeof(Header);
  const auto take = [&at](std::uint64_t bytes) {
    const std::uint64_t start = at;
    at = (at + bytes + 7) / 8 * 8;
    return static_cast<std::size_t>(start);
  };
  const auto buckets = [](std::uint32_t bits) { return ((std::uint64_t{1} << bits) + 1) * 4; };
  Layout layout{};
  layout.table = take(header.tableBytes);
  layout.source = take(header.sourceBytes);
  layout.russianSlots = take(std::uint64_t{header.russianSlots} * 4);
  layout.forms = take(header.formBytes);
  layout.englishBuckets = take(buckets(header.englishBucketBits));
  layout.englishEntries = take(std::uint64_t{header.englishEntries} * 4);
  layout.englishTags = take(header.englishEntries);
  layout.englishWords = take(header.englishBytes);
  if (at > SIZE_MAX) {
    return std::nullopt;
  }
  layout.size = static_cast<std::size_t>(at);
  return layout;
}

// Four independent lanes over 8-byte words keep the multiplier busy: a 40 MB index is checked
// in a few milliseconds at start.
std::uint64_t Checksum(std::span<const std::byte> bytes) {
  constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15u;
  std::uint64_t lanes[4] = {1, 2, 3, 4};
  std::size_t at = 0;
  for (; at + 32 <= bytes.size(); at += 32) {
    for (int lane = 0; lane < 4; ++lane) {
      std::uint64_t word;
      std::memcpy(&word, bytes.data() + at + 8 * lane, 8);
      lanes[lane] = (lanes[lane] ^ word) * kMultiplier;
      lanes[lane] ^= lanes[lane] >> 29;
    }
  }
  std::uint64_t hash = bytes.size();
  for (const std::uint64_t lane : lanes) {
    hash = (hash ^ lane) * kMultiplier;
    hash ^= hash >> 31;
  }
  for (; at < bytes.size(); ++at) {
    hash = (hash ^ static_cast<std::uint8_t>(bytes[at])) * kMultiplier;
    hash ^= hash >> 31;
  }
  return hash;
}

}  // namespace lettermorph::word_index_format
