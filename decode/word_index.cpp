#include "decode/word_index.h"

#include <array>
#include <cstring>

#include "look_alike_spelling.h"
#include "text/utf8.h"
#include "word_index_format.h"

namespace lettermorph {
namespace {

namespace format = word_index_format;

std::uint32_t ReadU32(const std::byte* at) {
  std::uint32_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

std::array<std::string, kSlotCount> Replacements(const ReplacementTable& table) {
  std::array<std::string, kSlotCount> replacements;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    AppendUtf8(*table.ReplacementAt(slot), replacements[slot]);
  }
  return replacements;
}

// The replacements as the image stores them, when they are exactly the table's.
bool StoredTableIs(std::span<const std::byte> stored,
                   const std::array<std::string, kSlotCount>& replacements) {
  std::size_t at = 0;
  for (const std::string& replacement : replacements) {
    if (stored.size() - at < 4 || ReadU32(stored.data() + at) != replacement.size() ||
        stored.size() - at - 4 < replacement.size() ||
        std::memcmp(stored.data() + at + 4, replacement.data(), replacement.size()) != 0) {
      return false;
    }
    at += 4 + replacement.size();
  }
  return at == stored.size();
}

// Bucket starts that only grow and end at the number of entries, so that every bucket's
// entries lie inside the image.
bool BucketsAreOrdered(const std::byte* buckets, std::uint32_t bits, std::uint32_t entries) {
  std::uint32_t previous = 0;
  for (std::uint64_t i = 0; i <= (std::uint64_t{1} << bits); ++i) {
    const std::uint32_t start = ReadU32(buckets + 4 * i);
    if (start < previous || start > entries) {
      return false;
    }
    previous = start;
  }
  return previous == entries;
}

// A record's bytes, or an empty span when its offset or length points outside the section.
std::span<const std::uint8_t> RecordAt(std::span<const std::uint8_t> section, std::uint32_t offset,
                                       std::size_t headerBytes) {
  if (offset >= section.size() || section.size() - offset < headerBytes ||
      section.size() - offset - headerBytes < section[offset]) {
    return {};
  }
  return section.subspan(offset, headerBytes + section[offset]);
}

// Asks for the cache line at `at` ahead of its use, where the compiler has a way to.
void PrefetchLine(const void* at) {
#if defined(__GNUC__)
  __builtin_prefetch(at);
#else
  static_cast<void>(at);
#endif
}

// As string_view::starts_with, in a loop: a look-alike is a byte or three, which a call to
// memcmp would cost more than comparing them.
bool StartsWith(std::string_view text, std::string_view start) {
  if (start.size() > text.size()) {
    return false;
  }
  for (std::size_t i = 0; i < start.size(); ++i) {
    if (text[i] != start[i]) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::optional<WordIndex> WordIndex::Open(std::span<const std::byte> image,
                                         const ReplacementTable& table, std::string_view source) {
  format::Header header;
  if (image.size() < sizeof header) {
    return std::nullopt;
  }
  std::memcpy(&header, image.data(), sizeof header);
  const std::optional<format::Layout> layout = format::LayoutOf(header);
  if (std::memcmp(header.magic, format::kMagic, sizeof header.magic) != 0 ||
      header.version != format::kVersion || header.byteOrder != format::kByteOrder || !layout ||
      layout->size != image.size() || header.size != image.size() ||
      header.checksum != format::Checksum(format::Checked(image))) {
    return std::nullopt;
  }
  const std::array<std::string, kSlotCount> replacements = Replacements(table);
  const auto stored = [&](std::size_t at, std::size_t bytes) { return image.subspan(at, bytes); };
  const std::span<const std::byte> storedSource = stored(layout->source, header.sourceBytes);
  if (!StoredTableIs(stored(layout->table, header.tableBytes), replacements) ||
      storedSource.size() != source.size() ||
      std::memcmp(storedSource.data(), source.data(), source.size()) != 0) {
    return std::nullopt;
  }
  const std::byte* base = image.data();
  if (!BucketsAreOrdered(base + layout->englishBuckets, header.englishBucketBits,
                         header.englishEntries)) {
    return std::nullopt;
  }
  WordIndex index;
  index.image_ = image;
  index.spelling_ = std::make_unique<LookAlikeSpelling>(replacements);
  index.russianSlots_ = base + layout->russianSlots;
  index.forms_ = {reinterpret_cast<const std::uint8_t*>(base + layout->forms), header.formBytes};
  index.slotCount_ = header.russianSlots;
  index.offsetBits_ = header.russianOffsetBits;
  index.englishBuckets_ = base + layout->englishBuckets;
  index.englishEntries_ = base + layout->englishEntries;
  index.englishTags_ = reinterpret_cast<const std::uint8_t*>(base + layout->englishTags);
  index.englishWords_ = {reinterpret_cast<const std::uint8_t*>(base + layout->englishWords),
                         header.englishBytes};
  index.englishBits_ = header.englishBucketBits;
  index.formCount_ = header.formCount;
  return index;
}

WordIndex::WordIndex(WordIndex&&) noexcept = default;
WordIndex& WordIndex::operator=(WordIndex&&) noexcept = default;
WordIndex::~WordIndex() = default;

WordIndex::Key::Key(std::string_view folded) : folded(folded), hash(LookAlikeHash(folded)) {}

void WordIndex::FindRussian(const Key& key, std::vector<Match>& out) const {
  // Copied into locals: the compiler cannot tell that appending to `out` leaves them be.
  const std::string_view folded = key.folded;
  const std::uint64_t hash = key.hash;
  const std::byte* const slots = russianSlots_;
  const std::span<const std::uint8_t> forms = forms_;
  const std::uint32_t slotCount = slotCount_;
  const std::uint32_t offsetBits = offsetBits_;
  const std::uint32_t tag = format::SlotTag(hash, offsetBits);
  const std::uint32_t offsetMask = (std::uint32_t{1} << offsetBits) - 1;
  std::uint32_t at = format::HomeSlot(hash, slotCount);
  // The forms whose tag agrees are asked for as the run is read and compared after it, in
  // its order: each waits on memory far off, and the waits overlap.
  std::array<std::uint32_t, 16> agreeing;
  std::size_t agreed = 0;
  const auto compare = [&] {
    for (std::size_t i = 0; i < agreed; ++i) {
      const std::uint32_t entry = agreeing[i];
      const std::span<const std::uint8_t> record = RecordAt(forms, (entry >> 2) & offsetMask, 4);
      if (record.empty()) {
        continue;
      }
      const std::span<const std::uint8_t> letters = record.subspan(4);
      const auto variant = static_cast<std::uint8_t>(entry & 3);
      if (SameLookAlike(letters, variant, folded)) {
        std::uint16_t count;
        std::memcpy(&count, record.data() + 2, sizeof count);
        out.push_back({letters, variant, record[1], count});
      }
    }
    agreed = 0;
  };
  // A run ends at a free slot; counting the slots read keeps a damaged full table finite.
  for (std::uint32_t read = 0; read < slotCount; ++read, at = at + 1 == slotCount ? 0 : at + 1) {
    const std::uint32_t entry = ReadU32(slots + 4 * std::size_t{at});
    if (entry == format::kEmptySlot) {
      break;
    }
    if (entry >> (offsetBits + 2) != tag) {
      continue;
    }
    const std::uint32_t offset = (entry >> 2) & offsetMask;
    if (offset < forms.size()) {
      PrefetchLine(forms.data() + offset);
    }
    agreeing[agreed++] = entry;
    if (agreed == agreeing.size()) {
      compare();
    }
  }
  compare();
}

// Whether the form with `letters` (slot numbers), written as `variant` says, has `folded` for
// its folded look-alike.
bool WordIndex::SameLookAlike(std::span<const std::uint8_t> letters, std::uint8_t variant,
                              std::string_view folded) const {
  const LookAlikeSpelling& spelling = *spelling_;
  const std::size_t capitals = format::CapitalLetters(variant, letters.size());
  if (spelling.ShortPieces()) {
    // The form's look-alike is put together a whole word a piece, each piece's bytes past
    // its length written over by the next, and compared at once. A record's letters are at
    // most 255, so the pieces fit.
    std::array<char, 256 * kPieceBytes> built;
    std::size_t length = 0;
    for (std::size_t i = 0; i < letters.size(); ++i) {
      const std::uint8_t slot = format::WrittenSlot(letters[i], i < capitals);
      if (slot >= kSlotCount) {
        return false;
      }
      const std::uint64_t piece = spelling.FoldedPiece(slot);
      std::memcpy(built.data() + length, &piece, sizeof piece);
      length += spelling.Length(slot);
    }
    return length == folded.size() && std::memcmp(built.data(), folded.data(), length) == 0;
  }
  std::string_view rest = folded;
  for (std::size_t i = 0; i < letters.size(); ++i) {
    const std::uint8_t slot = format::WrittenSlot(letters[i], i < capitals);
    if (slot >= kSlotCount || !StartsWith(rest, spelling.Folded(slot))) {
      return false;
    }
    rest.remove_prefix(spelling.Folded(slot).size());
  }
  return rest.empty();
}

bool WordIndex::IsEnglish(const Key& key) const {
  const std::string_view folded = key.folded;
  const std::uint64_t bucket = EnglishBucket(key.hash);
  const std::uint8_t fingerprint = format::Fingerprint(key.hash, englishBits_);
  const std::uint32_t start = ReadU32(englishBuckets_ + 4 * bucket);
  const std::uint32_t end = ReadU32(englishBuckets_ + 4 * (bucket + 1));
  // The tags and the entries they stand for lie apart: both loads go out at once.
  PrefetchLine(englishEntries_ + 4 * std::size_t{start});
  for (std::uint32_t entry = start; entry < end; ++entry) {
    if (englishTags_[entry] != fingerprint) {
      continue;
    }
    const std::span<const std::uint8_t> record =
        RecordAt(englishWords_, ReadU32(englishEntries_ + 4 * entry), 1);
    if (!record.empty() && std::string_view(reinterpret_cast<const char*>(record.data() + 1),
                                            record.size() - 1) == folded) {
      return true;
    }
  }
  return false;
}

void WordIndex::Prefetch(const Key& key, bool english) const {
  PrefetchLine(russianSlots_ + 4 * std::size_t{format::HomeSlot(key.hash, slotCount_)});
  if (english) {
    PrefetchLine(englishBuckets_ + 4 * EnglishBucket(key.hash));
  }
}

std::uint64_t WordIndex::EnglishBucket(std::uint64_t hash) const {
  return englishBits_ == 0 ? 0 : hash >> (64 - englishBits_);
}

}  // namespace lettermorph
