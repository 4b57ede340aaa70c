#pragma once

#include <filesystem>
#include <optional>

namespace lettermorph {

// The folder where this user's programs keep data they can make again: $XDG_CACHE_HOME, or
// ~/.cache, on POSIX systems, and the local application data folder (%LOCALAPPDATA%) on
// Windows. Nothing when there is none.
std::optional<std::filesystem::path> UserCacheFolder();

// Where the Russian Hunspell dictionary is looked for when none is named: the system's
// dictionary folder on POSIX systems, and on Windows the program's own folder, beside which
// it is shipped.
std::filesystem::path DictionaryFolder();

}  // namespace lettermorph
