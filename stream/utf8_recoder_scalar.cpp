#include <cstring>

#include "utf8_recoder_paths.h"

namespace lettermorph::utf8_recoding {
namespace {

// Eight bytes at a time while none of them is D0 or D1, then one at a time: a word whose
// bytes XOR D0 leave 0 or 1 holds a lead byte.
const char* FindLead(const char* from, const char* end) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  for (; end - from >= 8; from += 8) {
    std::uint64_t word;
    std::memcpy(&word, from, sizeof word);
    const std::uint64_t folded = (word ^ (0xD0 * kOnes)) & (0xFE * kOnes);
    if (((folded - kOnes) & ~folded & (0x80 * kOnes)) != 0) {
      break;
    }
  }
  while (from != end && !IsLead(static_cast<unsigned char>(*from))) {
    ++from;
  }
  return from;
}

std::uint64_t FindPairs(const unsigned char* p, unsigned char* index) {
  std::uint64_t starts = 0;
  for (int i = 0; i < kBlock; ++i) {
    starts |= static_cast<std::uint64_t>(IsLead(p[i]) && IsContinuation(p[i + 1])) << i;
    index[i] = static_cast<unsigned char>(PairIndex(p[i], p[i + 1]));
  }
  return starts;
}

}  // namespace

const PathFunctions& ScalarFunctions() {
  static constexpr PathFunctions functions{FindLead, FindPairs, nullptr};
  return functions;
}

}  // namespace lettermorph::utf8_recoding
