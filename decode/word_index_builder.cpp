#include "decode/word_index_builder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <span>
#include <utility>

#include "decode/word_index.h"
#include "look_alike_spelling.h"
#include "text/utf8.h"
#include "word_index_format.h"

namespace lettermorph {
namespace {

namespace format = word_index_format;

constexpr int kHalf = kSlotCount / 2;
// An English entry is sorted as one 64-bit number: the top 36 bits of its hash, which choose
// its bucket and its fingerprint, above the offset of its word.
constexpr int kHashBits = 36;
constexpr int kPlaceBits = 64 - kHashBits;
constexpr std::uint64_t kPlaceMask = (std::uint64_t{1} << kPlaceBits) - 1;

std::uint8_t SmallSlot(std::uint8_t slot) {
  return slot < kHalf ? static_cast<std::uint8_t>(slot + kHalf) : slot;
}

// The slot of every code point from U+0400 to U+045F that is a table letter, 0xFF for others.
constexpr std::array<std::uint8_t, 0x60> kSlotOfCode = [] {
  std::array<std::uint8_t, 0x60> slots{};
  slots.fill(0xFF);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    slots[kSlotLetters[slot] - 0x400] = static_cast<std::uint8_t>(slot);
  }
  return slots;
}();

// Appends the slots of `utf8`'s letters to `out`; false at anything but a table letter.
bool AppendSlots(std::string_view utf8, std::vector<std::uint8_t>& out) {
  for (std::size_t at = 0; at < utf8.size(); at += 2) {
    const auto lead = static_cast<unsigned char>(utf8[at]);
    if (at + 1 == utf8.size() || (lead != 0xD0 && lead != 0xD1)) {
      return false;
    }
    const auto next = static_cast<unsigned char>(utf8[at + 1]);
    const unsigned code = ((lead & 0x1Fu) << 6) | (next & 0x3Fu);
    if ((next & 0xC0) != 0x80 || code < 0x400 || code >= 0x460 ||
        kSlotOfCode[code - 0x400] == 0xFF) {
      return false;
    }
    out.push_back(kSlotOfCode[code - 0x400]);
  }
  return true;
}

std::span<const std::uint8_t> SlotsAt(const std::vector<std::uint8_t>& records,
                                      std::uint32_t start) {
  return {records.data() + start + 4, records[start]};
}

std::uint64_t SmallLettersHash(std::span<const std::uint8_t> slots) {
  std::uint64_t hash = 0xCBF29CE484222325u;
  for (const std::uint8_t slot : slots) {
    hash = (hash ^ SmallSlot(slot)) * 0x100000001B3u;
  }
  return hash;
}

// Orders forms by their small letters, and forms with the same small letters by spelling.
int CompareForms(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    if (SmallSlot(a[i]) != SmallSlot(b[i])) {
      return SmallSlot(a[i]) < SmallSlot(b[i]) ? -1 : 1;
    }
  }
  if (a.size() != b.size()) {
    return a.size() < b.size() ? -1 : 1;
  }
  return std::lexicographical_compare_three_way(a.begin(), a.end(), b.begin(), b.end()) < 0
             ? -2
             : (std::equal(a.begin(), a.end(), b.begin(), b.end()) ? 0 : 2);
}

void AppendRecord(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> slots,
                  std::uint8_t flags, std::uint32_t count) {
  const auto stored = static_cast<std::uint16_t>(std::min<std::uint32_t>(count, 0xFFFF));
  out.push_back(static_cast<std::uint8_t>(slots.size()));
  out.push_back(flags);
  out.push_back(static_cast<std::uint8_t>(stored & 0xFF));
  out.push_back(static_cast<std::uint8_t>(stored >> 8));
  out.insert(out.end(), slots.begin(), slots.end());
}

// A listed form that the sources write as a name, and one they never write small; neither is
// written to the image.
constexpr std::uint8_t kListedName = 0x80;
constexpr std::uint8_t kListedAlwaysName = 0x40;

// A capital first and small letters after, as a name is written.
bool IsTitle(std::span<const std::uint8_t> slots) {
  return !slots.empty() && slots[0] < kHalf &&
         std::all_of(slots.begin() + 1, slots.end(),
                     [](std::uint8_t slot) { return slot >= kHalf; });
}

std::uint32_t CountAt(const std::vector<std::uint8_t>& records, std::uint32_t start) {
  return records[start + 2] | (records[start + 3] << 8);
}

// One form for each spelling: a dictionary's form takes the count that the frequency list
// gives its small letters, and a listed form joins only where the dictionary has no form
// with its letters. The list's forms of a name (one the dictionary spells with a capital
// first, or the list marks as a name) give their count to the spelling with a capital first,
// which joins where the dictionary lacks it: "Павлов", not "павлов". A common word of the
// dictionary with the same letters keeps them small ("истина", which menus capitalise),
// unless the list says the sources never write them small ("Иван", not "иван").
std::vector<std::uint8_t> MergedForms(const std::vector<std::uint8_t>& records,
                                      const std::vector<std::uint32_t>& starts,
                                      std::uint32_t& count) {
  struct Sorted {
    std::uint64_t hash;
    std::uint32_t start;
  };
  std::vector<Sorted> sorted;
  sorted.reserve(starts.size());
  for (const std::uint32_t start : starts) {
    sorted.push_back({SmallLettersHash(SlotsAt(records, start)), start});
  }
  std::sort(sorted.begin(), sorted.end(), [&](const Sorted& a, const Sorted& b) {
    if (a.hash != b.hash) {
      return a.hash < b.hash;
    }
    const int order = CompareForms(SlotsAt(records, a.start), SlotsAt(records, b.start));
    // The dictionary's form of a spelling first, which is the one kept.
    return order != 0 ? order < 0
                      : (records[a.start + 1] & format::kInDictionary) >
                            (records[b.start + 1] & format::kInDictionary);
  });
  const auto slots = [&](std::size_t i) { return SlotsAt(records, sorted[i].start); };
  const auto flags = [&](std::size_t i) { return records[sorted[i].start + 1]; };
  std::vector<std::uint8_t> merged;
  merged.reserve(records.size());
  count = 0;
  for (std::size_t family = 0; family < sorted.size();) {
    // The spellings of the same small letters lie together.
    std::size_t familyEnd = family + 1;
    bool common = false;  // the dictionary has a spelling that starts small
    bool title = false;   // the dictionary has the spelling with a capital first
    bool named = false;   // the list says it is a name
    bool always = false;  // and that the sources never write it small
    std::uint32_t listedCount = 0;
    for (std::size_t i = family; i < sorted.size(); ++i) {
      if (i > family && (sorted[i].hash != sorted[family].hash ||
                         std::abs(CompareForms(slots(family), slots(i))) == 1)) {
        break;
      }
      familyEnd = i + 1;
      if (flags(i) & format::kInDictionary) {
        common = common || slots(i)[0] >= kHalf;
        title = title || IsTitle(slots(i));
      } else {
        named = named || (flags(i) & kListedName);
        always = always || (flags(i) & kListedAlwaysName);
        listedCount = std::max(listedCount, CountAt(records, sorted[i].start));
      }
    }
    // The listed forms of a name count for its capitalised spelling.
    const bool asName = (((named || title) && !common) || always) && listedCount > 0;
    const auto kept = [&](std::size_t i) { return !asName || (flags(i) & format::kInDictionary); };
    for (std::size_t group = family; group < familyEnd;) {
      std::size_t end = group + 1;
      while (end < familyEnd && CompareForms(slots(group), slots(end)) == 0) {
        ++end;
      }
      std::uint32_t listed = asName && IsTitle(slots(group)) ? listedCount : 0;
      bool inDictionary = false;
      for (std::size_t i = group; i < end; ++i) {
        inDictionary = inDictionary || (flags(i) & format::kInDictionary);
        if (kept(i)) {
          listed = std::max(listed, CountAt(records, sorted[i].start));
        }
      }
      for (std::size_t i = group; i < end; ++i) {
        const bool fromDictionary = (flags(i) & format::kInDictionary) != 0;
        const bool repeated = i > group && CompareForms(slots(i - 1), slots(i)) == 0;
        if (fromDictionary == inDictionary && !repeated && kept(i)) {
          AppendRecord(merged, slots(i), flags(i) & format::kInDictionary, listed);
          ++count;
        }
      }
      group = end;
    }
    if (asName && !title) {
      std::vector<std::uint8_t> name(slots(family).begin(), slots(family).end());
      name[0] = static_cast<std::uint8_t>(SmallSlot(name[0]) - kHalf);
      AppendRecord(merged, name, 0, listedCount);
      ++count;
    }
    family = familyEnd;
  }
  return merged;
}

std::uint32_t BucketBits(std::size_t entries) {
  std::uint32_t bits = 0;
  while (bits < format::kMaxBucketBits && (std::size_t{2} << bits) < entries) {
    ++bits;
  }
  return bits;
}

struct Table {
  std::uint32_t bits = 0;
  std::vector<std::uint64_t> entries;  // sorted
};

// Copies `bytes` into the image at `at`; an empty vector may have no storage to copy from.
void Put(std::string& image, std::size_t at, std::span<const std::uint8_t> bytes) {
  if (!bytes.empty()) {
    std::memcpy(image.data() + at, bytes.data(), bytes.size());
  }
}

void WriteU32(std::string& image, std::size_t at, std::uint32_t value) {
  std::memcpy(image.data() + at, &value, sizeof value);
}

// Bucket starts, entry offsets and tags, each at its place in the image.
void WriteTable(std::string& image, const Table& table, std::size_t buckets, std::size_t entries,
                std::size_t tags) {
  const std::uint64_t bucketCount = std::uint64_t{1} << table.bits;
  std::uint64_t bucket = 0;
  for (std::size_t i = 0; i < table.entries.size(); ++i) {
    const std::uint64_t packed = table.entries[i];
    const std::uint64_t own = table.bits == 0 ? 0 : packed >> (64 - table.bits);
    for (; bucket <= own; ++bucket) {
      WriteU32(image, buckets + 4 * bucket, static_cast<std::uint32_t>(i));
    }
    const std::uint64_t place = packed & kPlaceMask;
    const std::uint8_t fingerprint = format::Fingerprint(packed, table.bits);
    WriteU32(image, entries + 4 * i, static_cast<std::uint32_t>(place));
    image[tags + i] = static_cast<char>(fingerprint);
  }
  for (; bucket <= bucketCount; ++bucket) {
    WriteU32(image, buckets + 4 * bucket, static_cast<std::uint32_t>(table.entries.size()));
  }
}

// Places the Russian entries, each the top half of its hash above its slot word, sorted, in a
// table of `slots` at `at` in the image: each at the first free slot from its home. Sorted
// entries fill the table from its start in order, and the entries of one look-alike, which
// share a hash, stay in the order of their forms.
void WriteSlots(std::string& image, std::size_t at, const std::vector<std::uint64_t>& entries,
                std::uint32_t slots) {
  std::memset(image.data() + at, 0xFF, std::size_t{slots} * 4);
  std::vector<bool> taken(slots);
  // Every slot from the last entry's home to the slot it took is taken: the next entry, whose
  // home is no earlier, looks on from there.
  std::uint64_t next = 0;
  for (const std::uint64_t entry : entries) {
    std::uint64_t slot = std::max<std::uint64_t>(format::HomeSlot(entry, slots), next);
    while (taken[slot % slots]) {
      ++slot;
    }
    slot %= slots;
    taken[slot] = true;
    next = slot + 1;
    WriteU32(image, at + 4 * slot, static_cast<std::uint32_t>(entry));
  }
}

}  // namespace

bool WordIndexBuilder::AddDictionaryForm(std::string_view utf8) {
  return AddRussian(utf8, 0, format::kInDictionary);
}

bool WordIndexBuilder::AddListedForm(std::string_view utf8, std::uint32_t count) {
  return AddRussian(utf8, count, 0);
}

bool WordIndexBuilder::AddListedName(std::string_view utf8, std::uint32_t count, bool always) {
  return AddRussian(utf8, count, always ? kListedName | kListedAlwaysName : kListedName);
}

bool WordIndexBuilder::AddRussian(std::string_view utf8, std::uint32_t count, std::uint8_t flags) {
  const std::size_t start = russian_.size();
  AppendRecord(russian_, {}, flags, count);
  if (utf8.empty() || !AppendSlots(utf8, russian_) || russian_.size() - start - 4 > kMaxLetters) {
    russian_.resize(start);
    return false;
  }
  russian_[start] = static_cast<std::uint8_t>(russian_.size() - start - 4);
  russianStarts_.push_back(static_cast<std::uint32_t>(start));
  return true;
}

bool WordIndexBuilder::AddEnglishWord(std::string_view word) {
  if (word.empty() || word.size() > 255 || !std::all_of(word.begin(), word.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
      })) {
    return false;
  }
  englishStarts_.push_back(static_cast<std::uint32_t>(english_.size()));
  english_.push_back(static_cast<std::uint8_t>(word.size()));
  for (const char c : word) {
    english_.push_back(static_cast<std::uint8_t>(FoldAscii(c)));
  }
  return true;
}

std::string WordIndexBuilder::Build(const ReplacementTable& table, std::string_view source) const& {
  std::uint32_t formCount = 0;
  std::vector<std::uint8_t> forms = MergedForms(russian_, russianStarts_, formCount);
  return Image(table, source, std::move(forms), formCount);
}

std::string WordIndexBuilder::Build(const ReplacementTable& table, std::string_view source) && {
  std::uint32_t formCount = 0;
  std::vector<std::uint8_t> forms = MergedForms(russian_, russianStarts_, formCount);
  // Swapped out rather than cleared, which would keep their storage.
  std::vector<std::uint8_t>().swap(russian_);
  std::vector<std::uint32_t>().swap(russianStarts_);
  return Image(table, source, std::move(forms), formCount);
}

std::string WordIndexBuilder::Image(const ReplacementTable& table, std::string_view source,
                                    std::vector<std::uint8_t> forms,
                                    std::uint32_t formCount) const {
  std::array<std::string, kSlotCount> replacements;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    AppendUtf8(*table.ReplacementAt(slot), replacements[slot]);
  }
  const LookAlikeSpelling spelling(replacements);

  if (forms.size() >= (std::size_t{1} << format::kMaxOffsetBits)) {
    return {};
  }
  const auto offsetBits = static_cast<std::uint32_t>(std::bit_width(forms.size()));
  std::vector<std::uint64_t> russian;
  std::string keys[3];
  for (std::size_t at = 0; at < forms.size(); at += 4 + forms[at]) {
    const std::span<const std::uint8_t> slots(forms.data() + at + 4, forms[at]);
    for (std::uint8_t variant = 0; variant < 3; ++variant) {
      std::string& key = keys[variant];
      key.clear();
      for (std::size_t i = 0; i < slots.size(); ++i) {
        key += spelling.Folded(format::VariantSlot(slots, i, variant));
      }
      if (key.empty() || std::find(keys, keys + variant, key) != keys + variant) {
        continue;
      }
      const std::uint64_t hash = LookAlikeHash(key);
      russian.push_back((hash >> 32 << 32) |
                        (format::SlotTag(hash, offsetBits) << (offsetBits + 2)) | (at << 2) |
                        variant);
    }
  }
  std::sort(russian.begin(), russian.end());
  // A third of the slots free keeps the runs a lookup reads short.
  if (russian.size() > (std::size_t{1} << 31)) {
    return {};
  }
  const auto slots = static_cast<std::uint32_t>(russian.size() + russian.size() / 2 + 1);

  // The English words, each once.
  std::vector<std::uint32_t> englishStarts = englishStarts_;
  const auto word = [this](std::uint32_t start) {
    return std::string_view(reinterpret_cast<const char*>(english_.data() + start + 1),
                            english_[start]);
  };
  std::sort(englishStarts.begin(), englishStarts.end(),
            [&](std::uint32_t a, std::uint32_t b) { return word(a) < word(b); });
  englishStarts.erase(
      std::unique(englishStarts.begin(), englishStarts.end(),
                  [&](std::uint32_t a, std::uint32_t b) { return word(a) == word(b); }),
      englishStarts.end());
  std::vector<std::uint8_t> englishWords;
  Table english;
  for (const std::uint32_t start : englishStarts) {
    english.entries.push_back((LookAlikeHash(word(start)) >> kPlaceBits << kPlaceBits) |
                              englishWords.size());
    englishWords.insert(englishWords.end(), english_.begin() + start,
                        english_.begin() + start + 1 + english_[start]);
  }
  if (englishWords.size() > kPlaceMask) {
    return {};
  }
  std::sort(english.entries.begin(), english.entries.end());
  english.bits = BucketBits(english.entries.size());

  std::string storedTable;
  for (const std::string& replacement : replacements) {
    const auto length = static_cast<std::uint32_t>(replacement.size());
    storedTable.append(reinterpret_cast<const char*>(&length), sizeof length).append(replacement);
  }

  format::Header header{};
  std::memcpy(header.magic, format::kMagic, sizeof header.magic);
  header.version = format::kVersion;
  header.byteOrder = format::kByteOrder;
  header.tableBytes = static_cast<std::uint32_t>(storedTable.size());
  header.sourceBytes = static_cast<std::uint32_t>(source.size());
  header.formBytes = static_cast<std::uint32_t>(forms.size());
  header.russianSlots = slots;
  header.russianEntries = static_cast<std::uint32_t>(russian.size());
  header.russianOffsetBits = offsetBits;
  header.englishBytes = static_cast<std::uint32_t>(englishWords.size());
  header.englishBucketBits = english.bits;
  header.englishEntries = static_cast<std::uint32_t>(english.entries.size());
  header.formCount = formCount;
  const format::Layout layout = *format::LayoutOf(header);
  header.size = layout.size;

  std::string image(layout.size, '\0');
  image.replace(layout.table, storedTable.size(), storedTable);
  image.replace(layout.source, source.size(), source);
  WriteSlots(image, layout.russianSlots, russian, slots);
  Put(image, layout.forms, forms);
  WriteTable(image, english, layout.englishBuckets, layout.englishEntries, layout.englishTags);
  Put(image, layout.englishWords, englishWords);
  // The header goes in first: the checksum covers its sizes and counts too.
  std::memcpy(image.data(), &header, sizeof header);
  header.checksum = format::Checksum(format::Checked(std::as_bytes(std::span(image))));
  std::memcpy(image.data(), &header, sizeof header);
  return image;
}

}  // namespace lettermorph
