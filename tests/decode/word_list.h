#pragma once

#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "decode/word_index.h"
#include "decode/word_index_builder.h"
#include "recode/replacement_table.h"
#include "text/utf8.h"

namespace lettermorph {

// A few Russian words, spelled as a dictionary spells them (small, or capitalised for names),
// some English words, and counts of a frequency list (some of them for names), indexed for
// whichever table a test decodes with.
class WordList {
 public:
  using Counts = std::initializer_list<std::pair<std::u16string_view, std::uint32_t>>;

  WordList(std::initializer_list<std::u16string_view> words, Counts counts = {},
           std::initializer_list<std::string_view> english = {}, Counts names = {}) {
    for (const std::u16string_view word : words) {
      builder_.AddDictionaryForm(Utf8(word));
    }
    for (const auto& [word, count] : counts) {
      builder_.AddListedForm(Utf8(word), count);
    }
    for (const std::string_view word : english) {
      builder_.AddEnglishWord(word);
    }
    for (const auto& [word, count] : names) {
      builder_.AddListedName(Utf8(word), count);
    }
  }

  // The index for `table`, built on first use.
  const WordIndex* For(const ReplacementTable& table) const {
    std::string key;
    for (int slot = 0; slot < kSlotCount; ++slot) {
      key += Utf8(*table.ReplacementAt(slot)) + '\0';
    }
    Built& built = built_[key];
    if (!built.index) {
      built.image = std::make_unique<std::string>(builder_.Build(table, "test"));
      built.index = WordIndex::Open(std::as_bytes(std::span(*built.image)), table, "test");
    }
    return &*built.index;
  }

 private:
  struct Built {
    std::unique_ptr<std::string> image;
    std::optional<WordIndex> index;
  };

  static std::string Utf8(std::u16string_view text) {
    std::string bytes;
    AppendUtf8(text, bytes);
    return bytes;
  }

  WordIndexBuilder builder_;
  mutable std::map<std::string, Built> built_;
};

}  // namespace lettermorph
