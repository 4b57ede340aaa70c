#include "cli/dictionary_file.h"

namespace lettermorph {

// Built where no Hunspell library is at hand, as in the cross-build for Windows: the decoder
// then chooses by its fixed preference and says so.
OpenedDictionary OpenDictionary(const std::filesystem::path&) {
  return {};
}

}  // namespace lettermorph
