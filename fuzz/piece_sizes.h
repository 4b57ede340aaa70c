#pragma once

#include <cstddef>
#include <cstdint>
#include <random>

namespace lettermorph::fuzz {

// Cuts a text into pieces of random sizes, many of them empty or a byte or two long so that
// characters and words fall across the cuts, and others of up to `longest` bytes: long enough
// for the block-wise paths, or short enough to cut a short text in many places.
class PieceSizes {
 public:
  explicit PieceSizes(std::uint32_t seed, std::size_t longest = 300)
      : random_(seed), longest_(longest) {}
  std::size_t Next() { return random_() % 2 == 0 ? random_() % 4 : random_() % longest_; }

 private:
  std::minstd_rand random_;
  std::size_t longest_;
};

}  // namespace lettermorph::fuzz
