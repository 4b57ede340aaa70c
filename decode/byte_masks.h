#pragma once

#include <cstdint>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define LETTERMORPH_BYTE_MASKS_SSE2 1
#endif

namespace lettermorph {

// What sixteen or sixty-four bytes of text are, one bit a byte (bit i for the byte at i): the
// tokenizer reads most of look-alike text, short words of letters and digits between spaces,
// from these masks without looking at the bytes one by one.
struct ByteMasks {
  std::uint64_t letters;        // ASCII letters
  std::uint64_t digits;         // ASCII digits
  std::uint64_t spaces;         // ' ' and '\t' to '\r'
  std::uint64_t beyond;         // bytes beyond ASCII
  std::uint64_t leads;          // the first bytes of characters from U+0400 to U+04FF
  std::uint64_t continuations;  // 0x80 to 0xBF

  // Both bytes of each character from U+0400 to U+04FF, all of them Cyrillic letters; a lead
  // byte whose continuation lies past the masks is left out.
  std::uint64_t Cyrillic() const {
    const std::uint64_t pairs = leads & continuations >> 1;
    return pairs | pairs << 1;
  }
};

#ifdef LETTERMORPH_BYTE_MASKS_SSE2
namespace byte_masks {

inline std::uint64_t Bits(__m128i bytes) {
  return static_cast<unsigned>(_mm_movemask_epi8(bytes));
}

inline __m128i Same(__m128i bytes, int byte) {
  return _mm_cmpeq_epi8(bytes, _mm_set1_epi8(static_cast<char>(byte)));
}

// The bytes from `low` to `low + count - 1`: moved so that `low` becomes the lowest signed byte,
// exactly those fall below `count` of it, which the signed comparison tells.
inline __m128i InRange(__m128i bytes, int low, int count) {
  const __m128i moved = _mm_add_epi8(bytes, _mm_set1_epi8(static_cast<char>(-128 - low)));
  return _mm_cmplt_epi8(moved, _mm_set1_epi8(static_cast<char>(-128 + count)));
}

}  // namespace byte_masks

// Reads 16 bytes from `text`.
inline ByteMasks MasksOf16(const char* text) {
  using namespace byte_masks;
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
  // Setting the bit that tells capitals from small letters folds the one range onto the other.
  const __m128i letters = InRange(_mm_or_si128(bytes, _mm_set1_epi8(0x20)), 'a', 26);
  const __m128i spaces = _mm_or_si128(Same(bytes, ' '), InRange(bytes, '\t', 5));
  const __m128i leads = Same(_mm_and_si128(bytes, _mm_set1_epi8(static_cast<char>(0xFC))), 0xD0);
  // Continuation bytes are the signed bytes below -64.
  const __m128i continuations = _mm_cmplt_epi8(bytes, _mm_set1_epi8(-64));
  return {Bits(letters),      Bits(InRange(bytes, '0', 10)), Bits(spaces), Bits(bytes), Bits(leads),
          Bits(continuations)};
}
#else
namespace byte_masks {

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
inline ByteMasks MasksOf8(const char* text) {
  std::uint64_t bytes = 0;
  for (int i = 0; i < 8; ++i) {
    bytes |= std::uint64_t{static_cast<unsigned char>(text[i])} << 8 * i;
  }
  const std::uint64_t beyond = bytes & kHigh;
  const std::uint64_t values = bytes & ~kHigh;
  const std::uint64_t ascii = ~beyond & kHigh;
  const std::uint64_t letters = InRange(values | kOnes * 0x20, 'a', 'z') & ascii;
  const std::uint64_t spaces = (InRange(values, ' ', ' ') | InRange(values, '\t', '\r')) & ascii;
  return {Gather(letters),
          Gather(InRange(values, '0', '9') & ascii),
          Gather(spaces),
          Gather(beyond),
          Gather(InRange(values, 0x50, 0x53) & beyond),
          Gather(~AtLeast(values, 0x40) & beyond)};
}

}  // namespace byte_masks

// Reads 16 bytes from `text`.
inline ByteMasks MasksOf16(const char* text) {
  const ByteMasks low = byte_masks::MasksOf8(text);
  const ByteMasks high = byte_masks::MasksOf8(text + 8);
  return {low.letters | high.letters << 8, low.digits | high.digits << 8,
          low.spaces | high.spaces << 8,   low.beyond | high.beyond << 8,
          low.leads | high.leads << 8,     low.continuations | high.continuations << 8};
}
#endif

// Reads 64 bytes from `text`.
inline ByteMasks MasksOf64(const char* text) {
  ByteMasks masks = MasksOf16(text);
  for (int part = 1; part < 4; ++part) {
    const ByteMasks more = MasksOf16(text + 16 * part);
    const int shift = 16 * part;
    masks.letters |= more.letters << shift;
    masks.digits |= more.digits << shift;
    masks.spaces |= more.spaces << shift;
    masks.beyond |= more.beyond << shift;
    masks.leads |= more.leads << shift;
    masks.continuations |= more.continuations << shift;
  }
  return masks;
}

}  // namespace lettermorph
