#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "recode/replacement_table.h"

namespace lettermorph {

class LookAlikeSpelling;

// Russian words by their look-alike under one table, and the English words, read from an
// image that WordIndexBuilder made: in memory, or mapped from a file. Decoding a token is one
// lookup that returns every Russian word that looks like it, however its letters are cased.
class WordIndex {
 public:
  // One way of writing a form whose look-alike is the token's.
  struct Match {
    std::span<const std::uint8_t> slots;  // the form as stored: one slot number per letter
    std::uint8_t variant;                 // as stored, capitalised, or in capitals
    std::uint8_t flags;
    std::uint32_t count;  // how often the form occurs in the frequency list
  };

  // Checks the image, which must outlive the index, and that it was built for `table` from
  // `source`; nothing when anything disagrees, so that a damaged file is never trusted.
  static std::optional<WordIndex> Open(std::span<const std::byte> image,
                                       const ReplacementTable& table, std::string_view source);

  WordIndex(WordIndex&&) noexcept;
  WordIndex& operator=(WordIndex&&) noexcept;
  ~WordIndex();

  // A look-alike with ASCII letters in small form, and the hash that places it: worked out
  // once for the several lookups of a token.
  struct Key {
    explicit Key(std::string_view folded);
    // For a caller that worked out the hash of `folded` as the index does, while folding it.
    Key(std::string_view folded, std::uint64_t hash) : folded(folded), hash(hash) {}
    std::string_view folded;
    std::uint64_t hash;
  };

  // Appends to `out` every Russian form written one of its ways whose look-alike is `key`'s.
  void FindRussian(const Key& key, std::vector<Match>& out) const;
  // Whether `key` is an English word in small letters.
  bool IsEnglish(const Key& key) const;
  // Starts loading where FindRussian, and IsEnglish if `english`, will look first for `key`:
  // each lookup waits on memory far off in a large image, and asked for early, the wait
  // overlaps the work done before the lookup.
  void Prefetch(const Key& key, bool english) const;

  // The replacements of the table, with and without their case.
  const LookAlikeSpelling& Spelling() const { return *spelling_; }

  std::size_t FormCount() const { return formCount_; }

 private:
  WordIndex() = default;

  std::uint64_t EnglishBucket(std::uint64_t hash) const;
  bool SameLookAlike(std::span<const std::uint8_t> letters, std::uint8_t variant,
                     std::string_view folded) const;

  std::span<const std::byte> image_;
  std::unique_ptr<LookAlikeSpelling> spelling_;
  const std::byte* russianSlots_ = nullptr;
  std::span<const std::uint8_t> forms_;
  std::uint32_t slotCount_ = 0;
  std::uint32_t offsetBits_ = 0;
  const std::byte* englishBuckets_ = nullptr;
  const std::byte* englishEntries_ = nullptr;
  const std::uint8_t* englishTags_ = nullptr;
  std::span<const std::uint8_t> englishWords_;
  std::uint32_t englishBits_ = 0;
  std::size_t formCount_ = 0;
};

}  // namespace lettermorph
