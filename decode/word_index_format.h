#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "recode/slot_letters.h"

namespace lettermorph::word_index_format {

// How a word index is laid out in memory and on disk. The builder writes it and the reader
// trusts nothing of it until the header, every size and the checksum agree.
//
// After the header come, each at a multiple of 8 bytes:
//   table       the 66 replacements it was built for: [u32 length][UTF-8] each
//   source      what the words came from, as the caller names it
//   Russian     slots (u32 each), forms: [u8 letters][u8 flags][u16 count][slot of each letter]...
//   English     bucket starts (u32, 2^bits + 1), entries (u32: a word's offset), tags (u8),
//               words: [u8 length][ASCII]
// A Russian entry stands for one way of writing a form (as stored, capitalised, in capitals).
// It lies in an open-addressed table, at the first free slot from the one its look-alike's
// hash chooses, and holds in one word a tag from that hash, the way of writing and the form's
// offset: a lookup reads one run of slots and then only the forms whose tag agrees. The
// English entries of a bucket are those whose hash starts with the bucket's number.

inline constexpr char kMagic[8] = {'L', 'M', 'W', 'O', 'R', 'D', 'S', '\x1A'};
inline constexpr std::uint32_t kVersion = 3;
inline constexpr std::uint32_t kByteOrder = 0x01020304;
inline constexpr std::uint32_t kMaxBucketBits = 28;
// A Russian slot: a tag above the form's offset above the way of writing (2 bits).
inline constexpr std::uint32_t kMaxOffsetBits = 26;
inline constexpr std::uint32_t kEmptySlot = 0xFFFFFFFF;  // no way of writing is 3

// The ways a form is written.
enum Variant : std::uint8_t { kAsStored = 0, kCapitalised = 1, kCapitals = 2 };

// How many letters of a form, from its first, a way of writing makes capitals: none, the
// first, or all.
inline std::size_t CapitalLetters(std::uint8_t variant, std::size_t letters) {
  return variant == kCapitals ? letters : variant == kCapitalised && letters > 0 ? 1 : 0;
}

// The slot of a stored letter as written: its capital's where `capital`. Inline, as it is
// asked of every letter of every form a lookup meets.
inline std::uint8_t WrittenSlot(std::uint8_t slot, bool capital) {
  return capital && slot >= kSlotCount / 2 ? static_cast<std::uint8_t>(slot - kSlotCount / 2)
                                           : slot;
}

// The slot numbers of a variant of a stored form: its first letter, or every letter, made a
// capital.
inline std::uint8_t VariantSlot(std::span<const std::uint8_t> slots, std::size_t at,
                                std::uint8_t variant) {
  return WrittenSlot(slots[at], at < CapitalLetters(variant, slots.size()));
}

// Flags of a form.
enum FormFlag : std::uint8_t { kInDictionary = 1 };

struct Header {
  char magic[8];
  std::uint32_t version;
  std::uint32_t byteOrder;
  std::uint64_t checksum;  // of every byte after itself
  std::uint64_t size;      // of the whole image
  std::uint32_t tableBytes;
  std::uint32_t sourceBytes;
  std::uint32_t formBytes;
  std::uint32_t russianSlots;
  std::uint32_t russianEntries;
  std::uint32_t englishBytes;
  std::uint32_t englishBucketBits;
  std::uint32_t englishEntries;
  std::uint32_t formCount;
  std::uint32_t russianOffsetBits;
};
static_assert(sizeof(Header) == 72);

// Where each section starts, from the header's sizes.
struct Layout {
  std::size_t table, source;
  std::size_t russianSlots, forms;
  std::size_t englishBuckets, englishEntries, englishTags, englishWords;
  std::size_t size;
};

// Nothing when the sizes are out of range.
std::optional<Layout> LayoutOf(const Header& header);

// The ways of adding up the checksum, narrowest first. Each gives the same checksum, so an
// index checks on any processor whichever one wrote it.
enum class ChecksumPath { kPortable, kSse2, kAvx2, kAvx512 };

// Those this processor can run, kPortable first.
std::vector<ChecksumPath> SupportedChecksumPaths();

// By the widest supported path.
std::uint64_t Checksum(std::span<const std::byte> bytes);
// By `path`, which must be supported.
std::uint64_t Checksum(std::span<const std::byte> bytes, ChecksumPath path);

// What the checksum covers: every byte after it, so the header's sizes and counts as well as
// the sections.
inline std::span<const std::byte> Checked(std::span<const std::byte> image) {
  return image.subspan(offsetof(Header, checksum) + sizeof(Header::checksum));
}

// The slot where a Russian look-alike's run starts: the hash's top half scaled to the table.
inline std::uint32_t HomeSlot(std::uint64_t hash, std::uint32_t slots) {
  return static_cast<std::uint32_t>(((hash >> 32) * slots) >> 32);
}

// The tag of a Russian look-alike: the top bits of the hash's low half, which HomeSlot does
// not use, as many as the slot word has room for.
inline std::uint32_t SlotTag(std::uint64_t hash, std::uint32_t offsetBits) {
  return static_cast<std::uint32_t>(hash) >> (offsetBits + 2);
}

inline std::uint8_t Fingerprint(std::uint64_t hash, std::uint32_t bucketBits) {
  return static_cast<std::uint8_t>(hash >> (56 - bucketBits));
}

}  // namespace lettermorph::word_index_format
