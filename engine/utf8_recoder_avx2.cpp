#include "engine/utf8_recoder_paths.h"

#ifdef LETTERMORPH_X86_64
#include <immintrin.h>

#include <bit>

namespace lettermorph::utf8_recoding {
namespace {

#define LETTERMORPH_AVX2 LETTERMORPH_TARGET("avx2,bmi")

LETTERMORPH_AVX2 __m256i LeadBytes(__m256i bytes) {
  return _mm256_cmpeq_epi8(_mm256_and_si256(bytes, _mm256_set1_epi8(static_cast<char>(0xFE))),
                           _mm256_set1_epi8(static_cast<char>(0xD0)));
}

LETTERMORPH_AVX2 std::uint64_t Bits(__m256i low, __m256i high) {
  return static_cast<std::uint32_t>(_mm256_movemask_epi8(low)) |
         static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(high))) << 32;
}

LETTERMORPH_AVX2 const char* FindLead(const char* from, const char* end) {
  for (; end - from >= 64; from += 64) {
    const __m256i low = LeadBytes(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(from)));
    const __m256i high = LeadBytes(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + 32)));
    if (!_mm256_testz_si256(_mm256_or_si256(low, high), _mm256_or_si256(low, high))) {
      return from + std::countr_zero(Bits(low, high));
    }
  }
  return ScalarFunctions().findLead(from, end);
}

LETTERMORPH_AVX2 std::uint64_t FindPairs(const unsigned char* p, unsigned char* index) {
  const __m256i lowBit = _mm256_set1_epi8(1);
  const __m256i lowSix = _mm256_set1_epi8(0x3F);
  // A continuation byte is below C0 when read as a signed byte, and nothing else is.
  const __m256i pastContinuation = _mm256_set1_epi8(static_cast<char>(0xC0));
  __m256i starts[2];
  for (int half = 0; half < 2; ++half) {
    const unsigned char* at = p + 32 * half;
    const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
    const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + 1));
    starts[half] = _mm256_and_si256(LeadBytes(here), _mm256_cmpgt_epi8(pastContinuation, next));
    // Bit 0 of the lead moves to bit 6; a 16-bit shift keeps it inside its byte.
    const __m256i pair = _mm256_or_si256(_mm256_slli_epi16(_mm256_and_si256(here, lowBit), 6),
                                         _mm256_and_si256(next, lowSix));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(index + 32 * half), pair);
  }
  return Bits(starts[0], starts[1]);
}

}  // namespace

const PathFunctions& Avx2Functions() {
  static constexpr PathFunctions functions{FindLead, FindPairs, nullptr};
  return functions;
}

}  // namespace lettermorph::utf8_recoding

#endif
