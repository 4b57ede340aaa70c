#pragma once

#include <filesystem>
#include <memory>

#include "decode/dictionary.h"

namespace lettermorph {

struct OpenedDictionary {
  std::unique_ptr<Dictionary> dictionary;
  // When there is none: the files could be read but know no Russian word, being empty or cut
  // short, rather than missing or unreadable.
  bool knowsNoWord = false;
};

// The Hunspell dictionary `base`.aff and `base`.dic, as the decoder's word list; none when it
// cannot be read, when it knows no Russian word, or when the program was built without
// Hunspell.
OpenedDictionary OpenDictionary(const std::filesystem::path& base);

}  // namespace lettermorph
