#include "system/data_folders.h"

#include <windows.h>
// windows.h must come first.
#include <shlobj.h>

#include <cstdlib>
#include <string>

namespace lettermorph {

std::optional<std::filesystem::path> UserCacheFolder() {
  // The environment names the folder for each session, as it does for other programs.
  const wchar_t* named = _wgetenv(L"LOCALAPPDATA");
  if (named != nullptr && std::filesystem::path(named).is_absolute()) {
    return std::filesystem::path(named);
  }
  PWSTR folder = nullptr;
  std::optional<std::filesystem::path> found;
  if (SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &folder) == S_OK) {
    found = std::filesystem::path(folder);
  }
  CoTaskMemFree(folder);
  return found;
}

std::filesystem::path DictionaryFolder() {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) {
      return {};
    }
    if (length < name.size()) {
      name.resize(length);
      return std::filesystem::path(name).parent_path();
    }
    name.resize(name.size() * 2);
  }
}

}  // namespace lettermorph
