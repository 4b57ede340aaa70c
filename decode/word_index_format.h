#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace lettermorph::word_index_format {

// How a word index is laid out in memory and on disk. The builder writes it and the reader
// trusts nothing of it until the header, every size and the checksum agree.
//
// After the header come, each at a multiple of 8 bytes:
//   table       the 66 replacements it was built for: [u32 length][UTF-8] each
//   source      what the words came from, as the caller names it
//   Russian     bucket starts (u32, 2^bits + 1), entries (u32: a form's offset), tags (u8),
//               forms: [u8 letters][u8 flags][u16 count][slot of each letter]...
//   English     bucket starts, entries (u32: a word's offset), tags, words: [u8 length][ASCII]
// An entry stands for one way of writing a form (as stored, capitalised, in capitals); the
// entries of a bucket are those whose look-alike's hash starts with the bucket's number.

inline constexpr char kMagic[8] = {'L', 'M', 'W', 'O', 'R', 'D', 'S', '\x1A'};
inline constexpr std::uint32_t kVersion = 1;
inline constexpr std::uint32_t kByteOrder = 0x01020304;
inline constexpr std::uint32_t kMaxBucketBits = 28;

// The ways a form is written. The tag of a Russian entry holds one in its low two bits and
// six more bits of the hash above them.
enum Variant : std::uint8_t { kAsStored = 0, kCapitalised = 1, kCapitals = 2 };

// Flags of a form.
enum FormFlag : std::uint8_t { kInDictionary = 1 };

struct Header {
  char magic[8];
  std::uint32_t version;
  std::uint32_t byteOrder;
  std::uint64_t checksum;  // of every byte after the header
  std::uint64_t size;      // of the whole image
  std::uint32_t tableBytes;
  std::uint32_t sourceBytes;
  std::uint32_t formBytes;
  std::uint32_t russianBucketBits;
  std::uint32_t russianEntries;
  std::uint32_t englishBytes;
  std::uint32_t englishBucketBits;
  std::uint32_t englishEntries;
  std::uint32_t formCount;
  std::uint32_t reserved;
};
static_assert(sizeof(Header) == 72);

// Where each section starts, from the header's sizes.
struct Layout {
  std::size_t table, source;
  std::size_t russianBuckets, russianEntries, russianTags, forms;
  std::size_t englishBuckets, englishEntries, englishTags, englishWords;
  std::size_t size;
};

// Nothing when the sizes are out of range.
std::optional<Layout> LayoutOf(const Header& header);

std::uint64_t Checksum(std::span<const std::byte> bytes);

inline std::uint8_t Fingerprint(std::uint64_t hash, std::uint32_t bucketBits) {
  return static_cast<std::uint8_t>(hash >> (56 - bucketBits));
}

}  // namespace lettermorph::word_index_format
