#include "word_index_format.h"

#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

namespace {

constexpr std::size_t kBlockWords = 256;
constexpr std::size_t kLanes = 8;

// A fixed pseudo-random key for each 8-byte word of a block, so that words trading places
// inside a block change the checksum.
alignas(16) constexpr std::array<std::uint64_t, kBlockWords> kWordKeys = [] {
  std::array<std::uint64_t, kBlockWords> keys{};
  std::uint64_t state = 0;
  for (std::uint64_t& key : keys) {
    state += 0x9E3779B97F4A7C15u;
    std::uint64_t mixed = (state ^ (state >> 30)) * 0xBF58476D1CE4E5B9u;
    mixed = (mixed ^ (mixed >> 27)) * 0x94D049BB133111EBu;
    key = mixed ^ (mixed >> 31);
  }
  return keys;
}();

// Adds a block of kBlockWords words to the lanes: word i, mixed with its key, adds itself and
// the product of its 32-bit halves to lane i % kLanes. Both versions give the same sums; the
// vector one does two words an instruction, which the compiler does not find by itself.
#if defined(__SSE2__)
void AddBlock(const std::byte* block, std::uint64_t (&lanes)[kLanes]) {
  __m128i sums[kLanes / 2];
  for (std::size_t pair = 0; pair < kLanes / 2; ++pair) {
    sums[pair] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lanes) + pair);
  }
  const auto* words = reinterpret_cast<const __m128i*>(block);
  const auto* keys = reinterpret_cast<const __m128i*>(kWordKeys.data());
  // Unrolled whole, the block's loop runs out of registers.
#pragma GCC unroll 1
  for (std::size_t at = 0; at < kBlockWords / 2; at += kLanes / 2) {
    for (std::size_t pair = 0; pair < kLanes / 2; ++pair) {
      const __m128i data = _mm_loadu_si128(words + at + pair);
      const __m128i keyed = _mm_xor_si128(data, _mm_load_si128(keys + at + pair));
      // The high halves moved down by a shuffle, which keeps `keyed` without a copy.
      const __m128i high = _mm_shuffle_epi32(keyed, _MM_SHUFFLE(3, 3, 1, 1));
      const __m128i product = _mm_mul_epu32(keyed, high);
      sums[pair] = _mm_add_epi64(sums[pair], _mm_add_epi64(data, product));
    }
  }
  for (std::size_t pair = 0; pair < kLanes / 2; ++pair) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes) + pair, sums[pair]);
  }
}
#else
void AddBlock(const std::byte* block, std::uint64_t (&lanes)[kLanes]) {
  for (std::size_t word = 0; word < kBlockWords; ++word) {
    std::uint64_t data;
    std::memcpy(&data, block + 8 * word, 8);
    const std::uint64_t keyed = data ^ kWordKeys[word];
    const std::uint64_t low = static_cast<std::uint32_t>(keyed);
    lanes[word % kLanes] += data + low * static_cast<std::uint32_t>(keyed >> 32);
  }
}
#endif

}  // namespace

// The whole index is checked at every start, so most of the work is the cheap sums of
// AddBlock. After each block every lane is stirred with a full multiply, so that where a block
// lies counts too.
std::uint64_t Checksum(std::span<const std::byte> bytes) {
  constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15u;
  std::uint64_t lanes[kLanes] = {1, 2, 3, 4, 5, 6, 7, 8};
  std::size_t at = 0;
  for (; at + 8 * kBlockWords <= bytes.size(); at += 8 * kBlockWords) {
    AddBlock(bytes.data() + at, lanes);
    for (std::uint64_t& lane : lanes) {
      lane = (lane ^ (lane >> 47)) * kMultiplier;
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
