#include "utf8_recoder_paths.h"

#ifdef LETTERMORPH_X86
#include <emmintrin.h>

#include <bit>

namespace lettermorph::utf8_recoding {
namespace {

#define LETTERMORPH_SSE2 LETTERMORPH_TARGET("sse2")

LETTERMORPH_SSE2 __m128i LeadBytes(__m128i bytes) {
  return _mm_cmpeq_epi8(_mm_and_si128(bytes, _mm_set1_epi8(static_cast<char>(0xFE))),
                        _mm_set1_epi8(static_cast<char>(0xD0)));
}

LETTERMORPH_SSE2 const char* FindLead(const char* from, const char* end) {
  for (; end - from >= 16; from += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    const auto leads = static_cast<unsigned>(_mm_movemask_epi8(LeadBytes(bytes)));
    if (leads != 0) {
      return from + std::countr_zero(leads);
    }
  }
  return ScalarFunctions().findLead(from, end);
}

LETTERMORPH_SSE2 std::uint64_t FindPairs(const unsigned char* p, unsigned char* index) {
  const __m128i continuationMask = _mm_set1_epi8(static_cast<char>(0xC0));
  const __m128i continuation = _mm_set1_epi8(static_cast<char>(0x80));
  const __m128i lowBit = _mm_set1_epi8(1);
  const __m128i lowSix = _mm_set1_epi8(0x3F);
  std::uint64_t starts = 0;
  for (int i = 0; i < kBlock; i += 16) {
    const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
    const __m128i isContinuation =
        _mm_cmpeq_epi8(_mm_and_si128(next, continuationMask), continuation);
    const auto bits = static_cast<std::uint32_t>(
        _mm_movemask_epi8(_mm_and_si128(LeadBytes(here), isContinuation)));
    starts |= static_cast<std::uint64_t>(bits) << i;
    // Bit 0 of the lead moves to bit 6; a 16-bit shift keeps it inside its byte.
    const __m128i pair =
        _mm_or_si128(_mm_slli_epi16(_mm_and_si128(here, lowBit), 6), _mm_and_si128(next, lowSix));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(index + i), pair);
  }
  return starts;
}

}  // namespace

const PathFunctions& Sse2Functions() {
  static constexpr PathFunctions functions{FindLead, FindPairs, nullptr};
  return functions;
}

}  // namespace lettermorph::utf8_recoding

#endif
