#include "lexicon/lexicon.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <span>
#include <utility>
#include <vector>

#include "affix_expansion.h"
#include "decode/word_index_builder.h"
#include "embedded_word_lists.h"
#include "system/atomic_file.h"
#include "system/data_folders.h"
#include "system/file_handle.h"
#include "text/utf8.h"

namespace lettermorph {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kCachePrefix = "words-";
constexpr std::string_view kCacheSuffix = ".index";

std::uint64_t TextHash(std::string_view text, std::uint64_t hash = 0xCBF29CE484222325u) {
  for (const char c : text) {
    hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3u;
  }
  return hash;
}

std::string Hex(std::uint64_t value) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
  return text;
}

fs::path WithExtension(const fs::path& base, const char* extension) {
  fs::path path = base;
  path += extension;
  return path;
}

// The whole of a regular file, or nothing when it cannot be read.
std::optional<std::string> ReadWhole(const fs::path& path) {
  std::error_code error;
  if (!fs::is_regular_file(path, error)) {
    return std::nullopt;
  }
  FileHandle file = FileHandle::OpenForReading(path, error);
  std::string text;
  std::array<char, 1 << 16> buffer;
  while (!error) {
    const std::optional<std::size_t> got = file.Read(buffer, error);
    if (!got || *got == 0) {
      break;
    }
    text.append(buffer.data(), *got);
  }
  if (error) {
    return std::nullopt;
  }
  return text;
}

// What tells one version of a file from another without reading it: where it is, its size
// and when it was last written.
std::optional<std::string> Identity(const fs::path& path) {
  std::error_code error;
  const fs::path absolute = fs::absolute(path, error);
  const std::uintmax_t size = fs::file_size(path, error);
  if (error) {
    return std::nullopt;
  }
  const auto written = fs::last_write_time(path, error);
  if (error) {
    return std::nullopt;
  }
  std::string identity;
  AppendUtf8(absolute.u16string(), identity);
  return identity + " " + std::to_string(size) + " " +
         std::to_string(written.time_since_epoch().count());
}

// The key of an index: the dictionary's files, or none, and the built-in lists. The table is
// part of the key too: the index holds it.
std::string Source(const std::optional<std::string>& affix,
                   const std::optional<std::string>& words) {
  std::string source = "lettermorph word index\n";
  source += affix && words ? "dictionary " + *affix + "\n" + "dictionary " + *words + "\n"
                           : "no dictionary\n";
  return source + "built-in lists " + std::string(kWordListsDigest) + "\n";
}

fs::path CacheFile(const fs::path& folder, const ReplacementTable& table, std::string_view source) {
  std::uint64_t hash = TextHash(source);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    std::string replacement;
    AppendUtf8(*table.ReplacementAt(slot), replacement);
    hash = TextHash(replacement + '\0', hash);
  }
  return folder / (std::string(kCachePrefix) + Hex(hash) + std::string(kCacheSuffix));
}

void AddBuiltInLists(WordIndexBuilder& builder) {
  for (std::size_t at = 0; at < kWordFrequencies.size();) {
    const std::size_t end = std::min(kWordFrequencies.find('\n', at), kWordFrequencies.size());
    const std::string_view line = kWordFrequencies.substr(at, end - at);
    at = end + 1;
    const std::size_t tab = line.find('\t');
    if (line.starts_with('#') || tab == line.npos) {
      continue;
    }
    const std::size_t nameTab = line.find('\t', tab + 1);
    std::uint32_t count = 0;
    for (const char c : line.substr(tab + 1, nameTab - tab - 1)) {
      if (c >= '0' && c <= '9') {
        count = std::min<std::uint32_t>(count * 10 + static_cast<std::uint32_t>(c - '0'), 1 << 24);
      }
    }
    // A third column marks a form that the sources write as a name, or always as one.
    const std::string_view mark = nameTab == line.npos ? "" : line.substr(nameTab + 1);
    if (mark == "name" || mark == "name-always") {
      builder.AddListedName(line.substr(0, tab), count, mark == "name-always");
    } else {
      builder.AddListedForm(line.substr(0, tab), count);
    }
  }
  // English lists hold every letter of the alphabet as a word; only "a" and "I" are words
  // that English text uses, and "u", "c" or "y" alone is Russian.
  ExpandDictionary(kEnglishAffixes, kEnglishWords, [&](std::string_view word) {
    if (word.size() > 1 || word == "a" || word == "I") {
      builder.AddEnglishWord(word);
    }
  });
}

// Keeps the most recently used index files, and removes the others.
void PruneCache(const fs::path& folder) {
  std::error_code error;
  std::vector<std::pair<fs::file_time_type, fs::path>> found;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(kCachePrefix) && name.ends_with(kCacheSuffix)) {
      found.emplace_back(entry.last_write_time(error), entry.path());
    }
  }
  std::sort(found.begin(), found.end(), std::greater<>());
  for (std::size_t i = Lexicon::kCachedIndexes; i < found.size(); ++i) {
    fs::remove(found[i].second, error);
  }
}

// Writes the index for the next start; any failure leaves it unwritten.
void WriteCache(const fs::path& folder, const fs::path& file, std::string_view image) {
  if (!FitsFileSizeLimit(image.size())) {
    return;
  }
  std::error_code error;
  fs::create_directories(folder, error);
  // A damaged file goes first, so that the new one is never written over it in place.
  if (error || (fs::exists(file, error) && !fs::remove(file, error)) || error) {
    return;
  }
  AtomicFile written(file);
  if (!written.Failure() && written.Write(image) && written.Commit()) {
    PruneCache(folder);
  }
}

}  // namespace

std::unique_ptr<Lexicon> Lexicon::Load(const ReplacementTable& table, const fs::path& dictionary,
                                       const std::optional<fs::path>& cacheFolder) {
  std::unique_ptr<Lexicon> lexicon(new Lexicon);
  const fs::path affixPath = WithExtension(dictionary, ".aff");
  const fs::path wordsPath = WithExtension(dictionary, ".dic");
  std::optional<std::string> affixIdentity = Identity(affixPath);
  std::optional<std::string> wordsIdentity = Identity(wordsPath);
  const std::string source = Source(affixIdentity, wordsIdentity);
  const bool withDictionary = affixIdentity && wordsIdentity;

  std::optional<fs::path> cacheFile;
  if (cacheFolder) {
    cacheFile = CacheFile(*cacheFolder, table, source);
    std::error_code error;
    lexicon->image_ = FileImage::Open(*cacheFile, error);
    if (!error) {
      lexicon->index_ = WordIndex::Open(lexicon->image_.Bytes(), table, source);
    }
    if (lexicon->index_) {
      // Used now, so that pruning keeps it.
      fs::last_write_time(*cacheFile, fs::file_time_type::clock::now(), error);
      lexicon->dictionary_ = withDictionary ? Dictionary::Used : Dictionary::Missing;
      return lexicon;
    }
    lexicon->image_ = FileImage();
  }

  WordIndexBuilder builder;
  lexicon->dictionary_ = Dictionary::Missing;
  if (withDictionary) {
    const std::optional<std::string> affix = ReadWhole(affixPath);
    const std::optional<std::string> words = ReadWhole(wordsPath);
    if (affix && words) {
      std::size_t russian = 0;
      const bool read = ExpandDictionary(*affix, *words, [&](std::string_view form) {
        russian += builder.AddDictionaryForm(form) ? 1 : 0;
      });
      lexicon->dictionary_ = read && russian > 0 ? Dictionary::Used : Dictionary::KnowsNoWord;
    }
  }
  AddBuiltInLists(builder);
  lexicon->built_ = std::move(builder).Build(table, source);
  lexicon->index_ = WordIndex::Open(std::as_bytes(std::span(lexicon->built_)), table, source);
  if (cacheFile && lexicon->dictionary_ != Dictionary::KnowsNoWord) {
    WriteCache(*cacheFolder, *cacheFile, lexicon->built_);
  }
  return lexicon;
}

fs::path DefaultDictionary() {
  return DictionaryFolder() / "ru_RU";
}

std::optional<fs::path> LexiconCacheFolder() {
  std::optional<fs::path> folder = UserCacheFolder();
  if (folder) {
    *folder /= "lettermorph";
  }
  return folder;
}

}  // namespace lettermorph
