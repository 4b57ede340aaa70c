#include "byte_masks.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define LETTERMORPH_BYTE_MASKS_SSE2 1
#endif

// The wider paths are built for any x86-64 processor and taken only where it has them.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define LETTERMORPH_BYTE_MASKS_AVX 1
#endif

namespace lettermorph {
namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101;
constexpr std::uint64_t kHigh = 0x8080808080808080;

// The lanes of eight 7-bit values that are at least `low`, as their high bits: no sum
// carries into the next lane.
constexpr std::uint64_t AtLeast(std::uint64_t values, int low) {
  return (values + kOnes * static_cast<std::uint64_t>(0x80 - low)) & kHigh;
}

// The lanes whose 7-bit value is in [low, high].
constexpr std::uint64_t InRange(std::uint64_t values, int low, int high) {
  return AtLeast(values, low) & ~AtLeast(values, high + 1);
}

// The high bits of eight lanes as eight bits: each lane's bit lands in the top byte at its own
// place, and no two products overlap.
constexpr std::uint64_t Gather(std::uint64_t lanes) {
  return ((lanes >> 7) * 0x0102040810204080) >> 56;
}

// Eight bytes at a time in a 64-bit word, where no vector instructions are at hand.
ByteMasks MasksOf64Portable(const char* text) {
  ByteMasks masks{};
  for (int part = 0; part < 8; ++part) {
    std::uint64_t bytes = 0;
    for (int i = 0; i < 8; ++i) {
      bytes |= std::uint64_t{static_cast<unsigned char>(text[8 * part + i])} << 8 * i;
    }
    const std::uint64_t beyond = bytes & kHigh;
    const std::uint64_t values = bytes & ~kHigh;
    const std::uint64_t ascii = ~beyond & kHigh;
    const std::uint64_t letters = InRange(values | kOnes * 0x20, 'a', 'z') & ascii;
    const std::uint64_t spaces = (InRange(values, ' ', ' ') | InRange(values, '\t', '\r')) & ascii;
    const int shift = 8 * part;
    masks.letters |= Gather(letters) << shift;
    masks.digits |= Gather(InRange(values, '0', '9') & ascii) << shift;
    masks.spaces |= Gather(spaces) << shift;
    masks.beyond |= Gather(beyond) << shift;
    masks.leads |= Gather(InRange(values, 0x50, 0x53) & beyond) << shift;
    masks.continuations |= Gather(~AtLeast(values, 0x40) & beyond) << shift;
  }
  return masks;
}

#ifdef LETTERMORPH_BYTE_MASKS_SSE2
std::uint64_t Bits(__m128i bytes) {
  return static_cast<unsigned>(_mm_movemask_epi8(bytes));
}

__m128i Same(__m128i bytes, int byte) {
  return _mm_cmpeq_epi8(bytes, _mm_set1_epi8(static_cast<char>(byte)));
}

// The bytes from `low` to `low + count - 1`: moved so that `low` becomes the lowest signed byte,
// exactly those fall below `count` of it, which the signed comparison tells.
__m128i InRange(__m128i bytes, int low, int count) {
  const __m128i moved = _mm_add_epi8(bytes, _mm_set1_epi8(static_cast<char>(-128 - low)));
  return _mm_cmplt_epi8(moved, _mm_set1_epi8(static_cast<char>(-128 + count)));
}

ByteMasks MasksOf64Sse2(const char* text) {
  ByteMasks masks{};
  for (int part = 0; part < 4; ++part) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text) + part);
    // Setting the bit that tells capitals from small letters folds the one range onto the other.
    const __m128i letters = InRange(_mm_or_si128(bytes, _mm_set1_epi8(0x20)), 'a', 26);
    const __m128i spaces = _mm_or_si128(Same(bytes, ' '), InRange(bytes, '\t', 5));
    const __m128i leads = Same(_mm_and_si128(bytes, _mm_set1_epi8(static_cast<char>(0xFC))), 0xD0);
    // Continuation bytes are the signed bytes below -64.
    const __m128i continuations = _mm_cmplt_epi8(bytes, _mm_set1_epi8(-64));
    const int shift = 16 * part;
    masks.letters |= Bits(letters) << shift;
    masks.digits |= Bits(InRange(bytes, '0', 10)) << shift;
    masks.spaces |= Bits(spaces) << shift;
    masks.beyond |= Bits(bytes) << shift;
    masks.leads |= Bits(leads) << shift;
    masks.continuations |= Bits(continuations) << shift;
  }
  return masks;
}
#endif

#ifdef LETTERMORPH_BYTE_MASKS_AVX
__attribute__((target("avx2"))) std::uint64_t Bits(__m256i bytes) {
  return static_cast<std::uint32_t>(_mm256_movemask_epi8(bytes));
}

__attribute__((target("avx2"))) __m256i InRange(__m256i bytes, int low, int count) {
  const __m256i moved = _mm256_add_epi8(bytes, _mm256_set1_epi8(static_cast<char>(-128 - low)));
  return _mm256_cmpgt_epi8(_mm256_set1_epi8(static_cast<char>(-128 + count)), moved);
}

// The 16-byte path's steps on 32 bytes at a time.
__attribute__((target("avx2"))) ByteMasks MasksOf64Avx2(const char* text) {
  ByteMasks masks{};
  for (int half = 0; half < 2; ++half) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text) + half);
    const __m256i letters = InRange(_mm256_or_si256(bytes, _mm256_set1_epi8(0x20)), 'a', 26);
    const __m256i spaces =
        _mm256_or_si256(_mm256_cmpeq_epi8(bytes, _mm256_set1_epi8(' ')), InRange(bytes, '\t', 5));
    const __m256i leads =
        _mm256_cmpeq_epi8(_mm256_and_si256(bytes, _mm256_set1_epi8(static_cast<char>(0xFC))),
                          _mm256_set1_epi8(static_cast<char>(0xD0)));
    const __m256i continuations = _mm256_cmpgt_epi8(_mm256_set1_epi8(-64), bytes);
    const int shift = 32 * half;
    masks.letters |= Bits(letters) << shift;
    masks.digits |= Bits(InRange(bytes, '0', 10)) << shift;
    masks.spaces |= Bits(spaces) << shift;
    masks.beyond |= Bits(bytes) << shift;
    masks.leads |= Bits(leads) << shift;
    masks.continuations |= Bits(continuations) << shift;
  }
  return masks;
}

// Bytes from `low` to `low + count - 1`: unsigned bytes below `count` once `low` is taken away.
__attribute__((target("avx512bw"))) std::uint64_t InRange(__m512i bytes, int low, int count) {
  return _mm512_cmplt_epu8_mask(_mm512_sub_epi8(bytes, _mm512_set1_epi8(static_cast<char>(low))),
                                _mm512_set1_epi8(static_cast<char>(count)));
}

// All 64 bytes at once, each comparison giving its mask straight.
__attribute__((target("avx512bw"))) ByteMasks MasksOf64Avx512(const char* text) {
  const __m512i bytes = _mm512_loadu_si512(text);
  const __m512i folded = _mm512_or_si512(bytes, _mm512_set1_epi8(0x20));
  return {
      InRange(folded, 'a', 26),
      InRange(bytes, '0', 10),
      _mm512_cmpeq_epi8_mask(bytes, _mm512_set1_epi8(' ')) | InRange(bytes, '\t', 5),
      _mm512_movepi8_mask(bytes),
      _mm512_cmpeq_epi8_mask(_mm512_and_si512(bytes, _mm512_set1_epi8(static_cast<char>(0xFC))),
                             _mm512_set1_epi8(static_cast<char>(0xD0))),
      _mm512_cmplt_epi8_mask(bytes, _mm512_set1_epi8(-64)),
  };
}
#endif

}  // namespace

std::vector<MaskPath> SupportedMaskPaths() {
  std::vector<MaskPath> paths{MaskPath::kPortable};
#ifdef LETTERMORPH_BYTE_MASKS_SSE2
  paths.push_back(MaskPath::kSse2);
#endif
#ifdef LETTERMORPH_BYTE_MASKS_AVX
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) {
    paths.push_back(MaskPath::kAvx2);
  }
  if (__builtin_cpu_supports("avx512bw")) {
    paths.push_back(MaskPath::kAvx512);
  }
#endif
  return paths;
}

MasksOf64Function MasksOf64For(MaskPath path) {
  switch (path) {
#ifdef LETTERMORPH_BYTE_MASKS_SSE2
    case MaskPath::kSse2:
      return MasksOf64Sse2;
#endif
#ifdef LETTERMORPH_BYTE_MASKS_AVX
    case MaskPath::kAvx2:
      return MasksOf64Avx2;
    case MaskPath::kAvx512:
      return MasksOf64Avx512;
#endif
    default:
      return MasksOf64Portable;
  }
}

}  // namespace lettermorph
