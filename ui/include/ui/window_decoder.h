#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "lexicon/lexicon.h"
#include "recode/replacement_table.h"

namespace lettermorph {

// Where the decoder's words come from: the Russian dictionary, and the folder that keeps the
// index built from it. Tests point both into a scratch folder.
struct WordSources {
  std::filesystem::path dictionary = DefaultDictionary();
  std::optional<std::filesystem::path> cacheFolder = LexiconCacheFolder();
};

// Reads look-alike text made with the window's table back as Russian, as the command line's
// --decode does. The index of words is built for one table, so it is loaded on first use and
// again after the table changes, and kept in between.
class WindowDecoder {
 public:
  WindowDecoder(ReplacementTable& table, WordSources sources);

  // Whether the next Decode has to load the index first, which may take a second or two.
  bool MustLoad() const { return lexicon_ == nullptr; }
  std::u16string Decode(std::u16string_view text);
  // True once in the decoder's life, after a load that found no usable dictionary.
  bool TakeReducedAccuracyNotice();

 private:
  const ReplacementTable& table_;
  WordSources sources_;
  std::unique_ptr<Lexicon> lexicon_;
  ReplacementTable::Subscription tableChanges_;
  bool noticeDue_ = false;
  bool noticeGiven_ = false;
};

}  // namespace lettermorph
