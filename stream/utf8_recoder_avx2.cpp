#include "utf8_recoder_paths.h"

#ifdef LETTERMORPH_X86_64
#include <immintrin.h>

#include <algorithm>
#include <array>
#include <bit>

#include "recode/slot_letters.h"

namespace lettermorph::utf8_recoding {
namespace {

#define LETTERMORPH_AVX2 LETTERMORPH_TARGET("avx2,bmi,popcnt")

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

// The 64 letters U+0410..U+044F have the indexes 0x10..0x4F, so index - 0x10 picks one of 64
// table bytes, which pshufb looks up 16 at a time. Ё (0x01) and ё (0x51) are put in apart.
// Every other two-byte sequence is written back as it came, so it passes as two plain bytes.
constexpr int kFirstLetter = 0x10;
constexpr int kCapitalYo = 0x01;
constexpr int kSmallYo = 0x51;
static_assert(std::ranges::all_of(kSlotLetters,
                                  [](char16_t c) {
                                    return (c >= 0x410 && c <= 0x44F) || c == 0x401 || c == 0x451;
                                  }),
              "the letters must be U+0410..U+044F, Ё and ё");

// One byte of every letter's replacement. pshufb gives 0 for an index with bit 7 set and reads
// only the low four bits of any other, so with each part XORed with the one before, the parts
// at index, index - 16, index - 32 and index - 48 XOR to the byte wanted.
struct LetterTable {
  __m256i parts[4];
  __m256i capitalYo;
  __m256i smallYo;
};

LETTERMORPH_AVX2 LetterTable MakeTable(const unsigned char (&bytes)[128]) {
  LetterTable table;
  __m128i before = _mm_setzero_si128();
  for (int part = 0; part < 4; ++part) {
    const __m128i here =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + kFirstLetter + 16 * part));
    table.parts[part] = _mm256_broadcastsi128_si256(_mm_xor_si128(here, before));
    before = here;
  }
  table.capitalYo = _mm256_set1_epi8(static_cast<char>(bytes[kCapitalYo]));
  table.smallYo = _mm256_set1_epi8(static_cast<char>(bytes[kSmallYo]));
  return table;
}

struct LetterIndex {
  __m256i shifted[4];  // index - 16 * k
  __m256i capitalYo;
  __m256i smallYo;
};

LETTERMORPH_AVX2 __m256i LookUp(const LetterTable& table, const LetterIndex& index) {
  const __m256i low = _mm256_xor_si256(_mm256_shuffle_epi8(table.parts[0], index.shifted[0]),
                                       _mm256_shuffle_epi8(table.parts[1], index.shifted[1]));
  const __m256i high = _mm256_xor_si256(_mm256_shuffle_epi8(table.parts[2], index.shifted[2]),
                                        _mm256_shuffle_epi8(table.parts[3], index.shifted[3]));
  const __m256i letter = _mm256_xor_si256(low, high);
  return _mm256_blendv_epi8(_mm256_blendv_epi8(letter, table.capitalYo, index.capitalYo),
                            table.smallYo, index.smallYo);
}

// Byte i of the result is byte i - 1 of `current`; byte 0 is the last byte of `previous`.
LETTERMORPH_AVX2 __m256i ShiftInByte(__m256i current, __m256i previous) {
  return _mm256_alignr_epi8(current, _mm256_permute2x128_si256(previous, current, 0x21), 15);
}

// For every 8-bit mask, the positions of its set bits in order: the pshufb that packs the
// kept bytes of eight to the front.
constexpr auto kKept = [] {
  std::array<std::array<unsigned char, 8>, 256> table{};
  for (unsigned mask = 0; mask < 256; ++mask) {
    unsigned kept = 0;
    for (unsigned bit = 0; bit < 8; ++bit) {
      if (mask >> bit & 1) {
        table[mask][kept++] = static_cast<unsigned char>(bit);
      }
    }
  }
  return table;
}();

// Writes the bytes of `slots` whose bit in `keep` is set, in order; writes up to 8 bytes past
// the end of them.
LETTERMORPH_AVX2 char* StoreKept(__m128i slots, unsigned keep, char* out) {
  const unsigned low = keep & 0xFF;
  const unsigned high = keep >> 8 & 0xFF;
  const __m128i shuffle = _mm_add_epi8(
      _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(kKept[low].data())),
                         _mm_loadl_epi64(reinterpret_cast<const __m128i*>(kKept[high].data()))),
      _mm_set_epi64x(0x0808080808080808, 0));
  const __m128i packed = _mm_shuffle_epi8(slots, shuffle);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out), packed);
  out += std::popcount(low);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_unpackhi_epi64(packed, packed));
  return out + std::popcount(high);
}

// The same two slots per byte as the AVX-512 path, on 32-byte blocks: a letter's lead takes
// the first two bytes of its replacement, its continuation the next two, any other byte keeps
// itself, and slots holding 0xFF are dropped. Only the first `kBytes` bytes are looked up.
template <std::size_t kBytes>
LETTERMORPH_AVX2 BlockProgress RecodeBlocksOf(const PairBytes& pairs, const char* in,
                                              const char* end, char* out, const char* outLimit) {
  constexpr std::ptrdiff_t kBlock32 = 32;
  LetterTable tables[kBytes];
  for (std::size_t byte = 0; byte < kBytes; ++byte) {
    tables[byte] = MakeTable(pairs.bytes[byte]);
  }
  const __m256i none = _mm256_set1_epi8(static_cast<char>(PairBytes::kNone));
  __m256i previousStarts = _mm256_setzero_si256();
  __m256i previousThird = none;
  __m256i previousFourth = none;
  unsigned carried = 0;
  while (end - in > kBlock32 && out < outLimit) {
    const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in));
    const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 1));
    if (_mm256_movemask_epi8(_mm256_cmpeq_epi8(here, none)) != 0) {
      break;
    }
    const __m256i pairIndex =
        _mm256_or_si256(_mm256_slli_epi16(_mm256_and_si256(here, _mm256_set1_epi8(1)), 6),
                        _mm256_and_si256(next, _mm256_set1_epi8(0x3F)));
    LetterIndex index;
    index.shifted[0] =
        _mm256_sub_epi8(pairIndex, _mm256_set1_epi8(static_cast<char>(kFirstLetter)));
    for (int part = 1; part < 4; ++part) {
      index.shifted[part] =
          _mm256_sub_epi8(index.shifted[0], _mm256_set1_epi8(static_cast<char>(16 * part)));
    }
    index.capitalYo = _mm256_cmpeq_epi8(pairIndex, _mm256_set1_epi8(static_cast<char>(kCapitalYo)));
    index.smallYo = _mm256_cmpeq_epi8(pairIndex, _mm256_set1_epi8(static_cast<char>(kSmallYo)));
    const __m256i isLetter =
        _mm256_or_si256(_mm256_and_si256(_mm256_cmpgt_epi8(index.shifted[0], _mm256_set1_epi8(-1)),
                                         _mm256_cmpgt_epi8(_mm256_set1_epi8(64), index.shifted[0])),
                        _mm256_or_si256(index.capitalYo, index.smallYo));
    const __m256i starts = _mm256_and_si256(
        _mm256_and_si256(LeadBytes(here),
                         _mm256_cmpgt_epi8(_mm256_set1_epi8(static_cast<char>(0xC0)), next)),
        isLetter);
    const auto startBits = static_cast<unsigned>(_mm256_movemask_epi8(starts));
    if ((startBits | carried) == 0) {
      break;
    }
    __m256i looked[4] = {none, none, none, none};
    for (std::size_t byte = 0; byte < kBytes; ++byte) {
      looked[byte] = LookUp(tables[byte], index);
    }
    const __m256i continuations = ShiftInByte(starts, previousStarts);
    __m256i first = _mm256_blendv_epi8(here, looked[0], starts);
    first = _mm256_blendv_epi8(first, ShiftInByte(looked[2], previousThird), continuations);
    __m256i second = _mm256_blendv_epi8(none, looked[1], starts);
    second = _mm256_blendv_epi8(second, ShiftInByte(looked[3], previousFourth), continuations);

    // Unpacking works inside 128-bit lanes: `low` holds the slots of bytes 0..7 and 16..23,
    // `high` those of 8..15 and 24..31.
    const __m256i low = _mm256_unpacklo_epi8(first, second);
    const __m256i high = _mm256_unpackhi_epi8(first, second);
    const auto keepLow = ~static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(low, none)));
    const auto keepHigh =
        ~static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(high, none)));
    out = StoreKept(_mm256_castsi256_si128(low), keepLow, out);
    out = StoreKept(_mm256_castsi256_si128(high), keepHigh, out);
    out = StoreKept(_mm256_extracti128_si256(low, 1), keepLow >> 16, out);
    out = StoreKept(_mm256_extracti128_si256(high, 1), keepHigh >> 16, out);

    previousStarts = starts;
    previousThird = looked[2];
    previousFourth = looked[3];
    carried = startBits >> 31;
    in += kBlock32;
  }
  return carried != 0 ? FinishCarriedPair(pairs, in, out) : BlockProgress{in, out};
}

// Tables with a replacement longer than four bytes are left to the caller.
LETTERMORPH_AVX2 BlockProgress RecodeBlocks(const PairBytes& pairs, const char* in, const char* end,
                                            char* out, const char* outLimit) {
  if (pairs.anyTooLong) {
    return {in, out};
  }
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

const PathFunctions& Avx2Functions() {
  static constexpr PathFunctions functions{FindLead, FindPairs, RecodeBlocks};
  return functions;
}

}  // namespace lettermorph::utf8_recoding

#endif
