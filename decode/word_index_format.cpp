#include "word_index_format.h"

#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// Wider vectors are compiled for their instruction set inside a baseline build and chosen
// only where the processor has them.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define LETTERMORPH_CHECKSUM_AVX 1
#include <immintrin.h>
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
alignas(64) constexpr std::array<std::uint64_t, kBlockWords> kWordKeys = [] {
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
// the product of its 32-bit halves to lane i % kLanes. Every version gives the same sums; the
// vector ones do several words an instruction, which the compiler does not find by itself.
void AddBlockPortable(const std::byte* block, std::uint64_t (&lanes)[kLanes]) {
  for (std::size_t word = 0; word < kBlockWords; ++word) {
    std::uint64_t data;
    std::memcpy(&data, block + 8 * word, 8);
    const std::uint64_t keyed = data ^ kWordKeys[word];
    const std::uint64_t low = static_cast<std::uint32_t>(keyed);
    lanes[word % kLanes] += data + low * static_cast<std::uint32_t>(keyed >> 32);
  }
}

#if defined(__SSE2__)
void AddBlockSse2(const std::byte* block, std::uint64_t (&lanes)[kLanes]) {
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
#endif

#if LETTERMORPH_CHECKSUM_AVX
// Four words an instruction: lanes 0 to 3 in one register and 4 to 7 in the other.
__attribute__((target("avx2"))) void AddBlockAvx2(const std::byte* block,
                                                  std::uint64_t (&lanes)[kLanes]) {
  __m256i sums[2];
  for (std::size_t half = 0; half < 2; ++half) {
    sums[half] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(lanes) + half);
  }
  const auto* words = reinterpret_cast<const __m256i*>(block);
  const auto* keys = reinterpret_cast<const __m256i*>(kWordKeys.data());
#pragma GCC unroll 4
  for (std::size_t at = 0; at < kBlockWords / 4; at += 2) {
    for (std::size_t half = 0; half < 2; ++half) {
      const __m256i data = _mm256_loadu_si256(words + at + half);
      const __m256i keyed = _mm256_xor_si256(data, _mm256_load_si256(keys + at + half));
      const __m256i high = _mm256_shuffle_epi32(keyed, _MM_SHUFFLE(3, 3, 1, 1));
      const __m256i product = _mm256_mul_epu32(keyed, high);
      sums[half] = _mm256_add_epi64(sums[half], _mm256_add_epi64(data, product));
    }
  }
  for (std::size_t half = 0; half < 2; ++half) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes) + half, sums[half]);
  }
}

// Eight words an instruction: all the lanes in one register.
__attribute__((target("avx512f"))) void AddBlockAvx512(const std::byte* block,
                                                       std::uint64_t (&lanes)[kLanes]) {
  __m512i sums = _mm512_loadu_si512(lanes);
  const auto* words = reinterpret_cast<const __m512i*>(block);
  const auto* keys = reinterpret_cast<const __m512i*>(kWordKeys.data());
#pragma GCC unroll 4
  for (std::size_t at = 0; at < kBlockWords / 8; ++at) {
    const __m512i data = _mm512_loadu_si512(words + at);
    const __m512i keyed = _mm512_xor_si512(data, _mm512_load_si512(keys + at));
    // The zero-masked forms, with every lane kept: GCC 12 warns of the plain ones' undefined
    // fill.
    const __m512i high = _mm512_maskz_shuffle_epi32(0xFFFF, keyed, _MM_PERM_DDBB);
    const __m512i product = _mm512_maskz_mul_epu32(0xFF, keyed, high);
    sums = _mm512_add_epi64(sums, _mm512_add_epi64(data, product));
  }
  _mm512_storeu_si512(lanes, sums);
}
#endif

using AddBlockFunction = void (*)(const std::byte*, std::uint64_t (&)[kLanes]);

AddBlockFunction AddBlockFor(ChecksumPath path) {
  switch (path) {
#if defined(__SSE2__)
    case ChecksumPath::kSse2:
      return AddBlockSse2;
#endif
#if LETTERMORPH_CHECKSUM_AVX
    case ChecksumPath::kAvx2:
      return AddBlockAvx2;
    case ChecksumPath::kAvx512:
      return AddBlockAvx512;
#endif
    default:
      return AddBlockPortable;
  }
}

}  // namespace

std::vector<ChecksumPath> SupportedChecksumPaths() {
  std::vector<ChecksumPath> paths{ChecksumPath::kPortable};
#if defined(__SSE2__)
  paths.push_back(ChecksumPath::kSse2);
#endif
#if LETTERMORPH_CHECKSUM_AVX
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) {
    paths.push_back(ChecksumPath::kAvx2);
  }
  if (__builtin_cpu_supports("avx512f")) {
    paths.push_back(ChecksumPath::kAvx512);
  }
#endif
  return paths;
}

std::uint64_t Checksum(std::span<const std::byte> bytes) {
  static const ChecksumPath widest = SupportedChecksumPaths().back();
  return Checksum(bytes, widest);
}

// The whole index is checked at every start, so most of the work is the cheap sums of
// AddBlock. After each block every lane is stirred with a full multiply, so that where a block
// lies counts too.
std::uint64_t Checksum(std::span<const std::byte> bytes, ChecksumPath path) {
  const AddBlockFunction addBlock = AddBlockFor(path);
  constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15u;
  std::uint64_t lanes[kLanes] = {1, 2, 3, 4, 5, 6, 7, 8};
  std::size_t at = 0;
  for (; at + 8 * kBlockWords <= bytes.size(); at += 8 * kBlockWords) {
    addBlock(bytes.data() + at, lanes);
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
