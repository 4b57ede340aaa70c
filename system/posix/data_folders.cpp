#include "system/data_folders.h"

#include <cstdlib>

namespace lettermorph {

std::optional<std::filesystem::path> UserCacheFolder() {
  // A relative XDG_CACHE_HOME is to be ignored, as the base directory rules say.
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache != nullptr && cache[0] == '/') {
    return std::filesystem::path(cache);
  }
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') {
    return std::filesystem::path(home) / ".cache";
  }
  return std::nullopt;
}

std::filesystem::path DictionaryFolder() {
  return "/usr/share/hunspell";
}

}  // namespace lettermorph
