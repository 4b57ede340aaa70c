#pragma once

#include <filesystem>
#include <memory>
#include <string_view>

#include "decode/dictionary.h"
#include "system/code_page.h"

class Hunspell;

namespace lettermorph {

// A Hunspell dictionary, such as Debian's Russian one, as the decoder's word list. Words are
// converted to the dictionary's own encoding, which it names itself (UTF-8 or KOI8-R).
class HunspellDictionary final : public Dictionary {
 public:
  // Opens `base`.aff and `base`.dic; null when either cannot be read or the encoding is
  // unknown to the system.
  static std::unique_ptr<HunspellDictionary> Open(const std::filesystem::path& base);

  ~HunspellDictionary() override;

  bool Knows(std::u16string_view word) const override;

  // Whether it knows a Russian word among the first that `words`, its .dic file, lists. An
  // empty or cut-short .dic lists none, and an .aff cut short before it names the encoding
  // turns every Russian word into one it cannot hold.
  bool KnowsARussianWordOf(const std::filesystem::path& words) const;

 private:
  HunspellDictionary(std::unique_ptr<Hunspell> hunspell, std::unique_ptr<CodePage> encoding);

  std::unique_ptr<Hunspell> hunspell_;
  std::unique_ptr<CodePage> encoding_;
};

}  // namespace lettermorph
