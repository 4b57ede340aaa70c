#pragma once

#include <cstddef>
#include <cstdint>

// The instruction-set-specific parts of Utf8StreamRecoder. Each path is a set of functions
// compiled for one instruction set inside an otherwise baseline build; the recoder picks one
// set when it is made and calls it through pointers, so no other code needs those
// instructions.

#if defined(__x86_64__) || (defined(_M_X64) && !defined(_M_ARM64EC))
#define LETTERMORPH_X86_64 1
#endif
#if defined(LETTERMORPH_X86_64) || defined(__i386__) || defined(_M_IX86)
#define LETTERMORPH_X86 1
#endif

// GCC and Clang compile intrinsics only inside functions marked for their instruction set;
// MSVC compiles them anywhere.
#if defined(__GNUC__) || defined(__clang__)
#define LETTERMORPH_TARGET(features) __attribute__((target(features)))
#else
#define LETTERMORPH_TARGET(features)
#endif

namespace lettermorph::utf8_recoding {

// Blocks are 64 bytes, one bit per byte in a 64-bit mask.
inline constexpr std::ptrdiff_t kBlock = 64;

inline bool IsLead(unsigned char byte) {
  return (byte & 0xFE) == 0xD0;
}

inline bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// A two-byte sequence D0 xx or D1 xx as an index 0..127: the code point minus U+0400.
inline unsigned PairIndex(unsigned char lead, unsigned char continuation) {
  return ((lead & 1u) << 6) | (continuation & 0x3Fu);
}

// What the vector path looks up by pair index: the first four bytes of the replacement, with
// 0xFF past its end (0xFF never occurs in UTF-8), and 0xFF in `tooLong` where the replacement
// is longer than four bytes. `lookedUp` is 2, 3 or 4: how many of the four hold any byte.
struct PairBytes {
  static constexpr std::size_t kFastLength = 4;
  static constexpr unsigned char kNone = 0xFF;
  alignas(64) unsigned char bytes[kFastLength][128];
  alignas(64) unsigned char tooLong[128];
  bool anyTooLong;
  std::size_t lookedUp;
};

// How far past its output limit a path's block lookup may write.
inline constexpr std::size_t kBlockOverrun = 192;

struct BlockProgress {
  const char* in;
  char* out;
};

// Writes the rest of a pair whose lead, at in[-1], already gave the first two bytes of its
// replacement, and steps past its continuation byte at in[0].
inline BlockProgress FinishCarriedPair(const PairBytes& pairs, const char* in, char* out) {
  const unsigned index =
      PairIndex(static_cast<unsigned char>(in[-1]), static_cast<unsigned char>(in[0]));
  for (std::size_t byte = 2; byte < PairBytes::kFastLength; ++byte) {
    if (pairs.bytes[byte][index] != PairBytes::kNone) {
      *out++ = static_cast<char>(pairs.bytes[byte][index]);
    }
  }
  return {in + 1, out};
}

struct PathFunctions {
  // The first D0 or D1 byte in [from, end), or end.
  const char* (*findLead)(const char* from, const char* end);
  // Sets bit i where p[i], p[i + 1] is D0 or D1 followed by a continuation byte, for i in
  // 0..63, and stores the pair index of every p[i], p[i + 1] in index[i]. Reads p[0..64].
  std::uint64_t (*findPairs)(const unsigned char* p, unsigned char* index);
  // Recodes blocks of 64 bytes (or 32) from `in` to `out` while more than a block remains,
  // `out` is below `outLimit`, and each block holds a pair that the lookup can finish alone.
  // It stops before a block without pairs, or with a byte 0xFF or a replacement longer than
  // four bytes. Writes at most kBlockOverrun bytes past `outLimit`. Null where a path has none.
  BlockProgress (*recodeBlocks)(const PairBytes& pairs, const char* in, const char* end, char* out,
                                const char* outLimit);
};

const PathFunctions& ScalarFunctions();
#ifdef LETTERMORPH_X86
const PathFunctions& Sse2Functions();
#endif
#ifdef LETTERMORPH_X86_64
const PathFunctions& Avx2Functions();
const PathFunctions& Avx512Functions();
#endif

}  // namespace lettermorph::utf8_recoding
