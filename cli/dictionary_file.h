#pragma once

#include <filesystem>
#include <memory>

#include "engine/dictionary.h"

namespace lettermorph {

// The Hunspell dictionary `base`.aff and `base`.dic, as the decoder's word list; null when it
// cannot be read, or when the program was built without Hunspell.
std::unique_ptr<Dictionary> OpenDictionary(const std::filesystem::path& base);

}  // namespace lettermorph
