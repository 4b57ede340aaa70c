#include "utf8_recoder_paths.h"

#ifdef LETTERMORPH_X86_64
#include <immintrin.h>

#include <array>
#include <bit>

namespace lettermorph::utf8_recoding {
namespace {

// VBMI brings the 128-entry byte lookup (vpermi2b), VBMI2 the byte compress (vpcompressb).
#define LETTERMORPH_AVX512 \
  LETTERMORPH_TARGET("avx512f,avx512bw,avx512vl,avx512vbmi,avx512vbmi2,bmi,popcnt")

LETTERMORPH_AVX512 __mmask64 LeadBytes(__m512i bytes) {
  return _mm512_cmpeq_epi8_mask(_mm512_and_si512(bytes, _mm512_set1_epi8(static_cast<char>(0xFE))),
                                _mm512_set1_epi8(static_cast<char>(0xD0)));
}

// A continuation byte is below C0 when read as a signed byte, and nothing else is.
LETTERMORPH_AVX512 __mmask64 PairStarts(__m512i here, __m512i next) {
  return _mm512_mask_cmplt_epi8_mask(LeadBytes(here), next,
                                     _mm512_set1_epi8(static_cast<char>(0xC0)));
}

// Bit 0 of the lead moves to bit 6 and the low six bits come from the next byte; vpermi2b
// reads only the low seven bits of an index, so bit 7 may stay set.
LETTERMORPH_AVX512 __m512i PairIndexes(__m512i here, __m512i next) {
  return _mm512_ternarylogic_epi32(_mm512_set1_epi8(0x40), _mm512_slli_epi16(here, 6), next, 0xCA);
}

// Slot 2k of a half takes byte k of the first-slot vector, slot 2k + 1 byte k of the second
// (index 64 + k); the first half covers input bytes 0..31, the second 32..63.
constexpr auto kInterleave = [] {
  std::array<std::array<unsigned char, 64>, 2> table{};
  for (int half = 0; half < 2; ++half) {
    for (int slot = 0; slot < 64; ++slot) {
      table[half][slot] = static_cast<unsigned char>(32 * half + slot / 2 + slot % 2 * 64);
    }
  }
  return table;
}();

LETTERMORPH_AVX512 __m512i Load(const void* at) {
  return _mm512_loadu_si512(at);
}

// Byte `index` of a 128-byte table held in two registers.
LETTERMORPH_AVX512 __m512i LookUp(const __m512i (&table)[2], __m512i index) {
  return _mm512_permutex2var_epi8(table[0], index, table[1]);
}

LETTERMORPH_AVX512 const char* FindLead(const char* from, const char* end) {
  for (; end - from >= 64; from += 64) {
    const __mmask64 leads = LeadBytes(Load(from));
    if (leads != 0) {
      return from + std::countr_zero(static_cast<std::uint64_t>(leads));
    }
  }
  const __mmask64 rest = from == end ? 0 : ~0ull >> (64 - (end - from));
  const __mmask64 leads = LeadBytes(_mm512_maskz_loadu_epi8(rest, from)) & rest;
  return leads != 0 ? from + std::countr_zero(static_cast<std::uint64_t>(leads)) : end;
}

LETTERMORPH_AVX512 std::uint64_t FindPairs(const unsigned char* p, unsigned char* index) {
  const __m512i here = Load(p);
  const __m512i next = Load(p + 1);
  _mm512_storeu_si512(index, _mm512_and_si512(PairIndexes(here, next), _mm512_set1_epi8(0x7F)));
  return PairStarts(here, next);
}

// Every input byte gets two output slots. A pair's lead takes the first two bytes of its
// replacement and its continuation the next two; any other byte keeps itself and drops its
// second slot. Slots holding 0xFF are dropped, and compressing the rest leaves the output.
// Only the first `kBytes` bytes of every replacement are looked up; the rest are all 0xFF.
template <std::size_t kBytes>
LETTERMORPH_AVX512 BlockProgress RecodeBlocksOf(const PairBytes& pairs, const char* in,
                                                const char* end, char* out, const char* outLimit) {
  __m512i table[PairBytes::kFastLength][2];
  for (std::size_t i = 0; i < PairBytes::kFastLength; ++i) {
    table[i][0] = Load(pairs.bytes[i]);
    table[i][1] = Load(pairs.bytes[i] + 64);
  }
  const __m512i tooLong[2] = {Load(pairs.tooLong), Load(pairs.tooLong + 64)};
  const __m512i none = _mm512_set1_epi8(static_cast<char>(PairBytes::kNone));
  const __m512i interleaveLow = Load(kInterleave[0].data());
  const __m512i interleaveHigh = Load(kInterleave[1].data());

  // Blocks always advance by 64 bytes, so that where the next one starts never waits for the
  // last one's result. A pair that starts in the last byte of a block is finished by the next:
  // its lead takes the first two bytes there, and its continuation the rest here.
  std::uint64_t carried = 0;
  while (end - in > kBlock && out < outLimit) {
    const __m512i here = Load(in);
    const __m512i next = Load(in + 1);
    const __mmask64 starts = PairStarts(here, next);
    if ((starts | carried) == 0 || _mm512_cmpeq_epi8_mask(here, none) != 0) {
      break;
    }
    const __m512i index = PairIndexes(here, next);
    if (pairs.anyTooLong && _mm512_mask_test_epi8_mask(starts, LookUp(tooLong, index), none) != 0) {
      break;
    }
    // The pair a continuation byte ends starts one place to its left. The byte before the
    // block is read only when a pair carried over from it.
    const __mmask64 continuations = starts << 1 | carried;
    const __m512i leadIndex = PairIndexes(_mm512_maskz_loadu_epi8(~1ull | carried, in - 1), here);
    __m512i first = _mm512_mask_mov_epi8(here, starts, LookUp(table[0], index));
    __m512i second = _mm512_mask_mov_epi8(none, starts, LookUp(table[1], index));
    if constexpr (kBytes > 2) {
      first = _mm512_mask_mov_epi8(first, continuations, LookUp(table[2], leadIndex));
    } else {
      first = _mm512_mask_mov_epi8(first, continuations, none);
    }
    if constexpr (kBytes > 3) {
      second = _mm512_mask_mov_epi8(second, continuations, LookUp(table[3], leadIndex));
    }

    const __m512i low = _mm512_permutex2var_epi8(first, interleaveLow, second);
    const __m512i high = _mm512_permutex2var_epi8(first, interleaveHigh, second);
    const __mmask64 keepLow = _mm512_cmpneq_epi8_mask(low, none);
    const __mmask64 keepHigh = _mm512_cmpneq_epi8_mask(high, none);
    _mm512_storeu_si512(out, _mm512_maskz_compress_epi8(keepLow, low));
    out += std::popcount(static_cast<std::uint64_t>(keepLow));
    _mm512_storeu_si512(out, _mm512_maskz_compress_epi8(keepHigh, high));
    out += std::popcount(static_cast<std::uint64_t>(keepHigh));
    in += kBlock;
    carried = static_cast<std::uint64_t>(starts) >> 63;
  }
  // A block left for the caller must not begin inside a pair: finish the carried one here.
  return carried != 0 ? FinishCarriedPair(pairs, in, out) : BlockProgress{in, out};
}

LETTERMORPH_AVX512 BlockProgress RecodeBlocks(const PairBytes& pairs, const char* in,
                                              const char* end, char* out, const char* outLimit) {
  switch (pairs.lookedUp) {
    case 4:
      return RecodeBlocksOf<4>(pairs, in, end, out, outLimit);
    case 3:
      return RecodeBlocksOf<3>(pairs, in, end, out, outLimit);
    default:
      return RecodeBlocksOf<2>(pairs, in, end, out, outLimit);
  }
}

}  // namespace

const PathFunctions& Avx512Functions() {
  static constexpr PathFunctions functions{FindLead, FindPairs, RecodeBlocks};
  return functions;
}

}  // namespace lettermorph::utf8_recoding

#endif
