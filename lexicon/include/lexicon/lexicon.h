#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "decode/word_index.h"
#include "recode/replacement_table.h"
#include "system/file_image.h"

namespace lettermorph {

// The Russian Hunspell dictionary used when none is named, without .aff or .dic: where Debian
// and Ubuntu install it, or on Windows beside the program.
std::filesystem::path DefaultDictionary();

// The words the decoder knows under one table: every form of a Russian Hunspell dictionary,
// the forms of the built-in frequency list with their counts, and the built-in English words,
// indexed by their look-alikes. Building the index takes a second or two, so it is kept in a
// cache folder between runs, keyed by the dictionary files, the table and the built-in lists,
// and mapped at the next start. A cache file that is damaged, cut short or made for anything
// else is built again, never trusted; one that cannot be written leaves the index in memory
// without a word.
class Lexicon {
 public:
  enum class Dictionary {
    Used,
    Missing,      // it cannot be read: the built-in lists alone know the words
    KnowsNoWord,  // it can be read but gives no Russian word: empty, cut short, not UTF-8
  };

  // `cacheFolder` is where this program keeps its caches; without one nothing is kept.
  static std::unique_ptr<Lexicon> Load(const ReplacementTable& table,
                                       const std::filesystem::path& dictionary,
                                       const std::optional<std::filesystem::path>& cacheFolder);

  Lexicon(const Lexicon&) = delete;
  Lexicon& operator=(const Lexicon&) = delete;

  const WordIndex& Index() const { return *index_; }
  Dictionary DictionaryState() const { return dictionary_; }
  // Whether the index came from the cache folder rather than being built.
  bool FromCache() const { return image_.Bytes().data() != nullptr; }

  // The cache files kept, the most recently used first: one a table, up to this many.
  static constexpr int kCachedIndexes = 3;

 private:
  Lexicon() = default;

  FileImage image_;    // the index as mapped from the cache folder
  std::string built_;  // or as built here
  std::optional<WordIndex> index_;
  Dictionary dictionary_ = Dictionary::Missing;
};

// The folder in the user's cache folder where lexicons are kept, if there is one.
std::optional<std::filesystem::path> LexiconCacheFolder();

}  // namespace lettermorph
