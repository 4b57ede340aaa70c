#include "system/program_arguments.h"

#include <windows.h>
// windows.h must come first.
#include <shellapi.h>

#include "utf16_text.h"

namespace lettermorph {

std::vector<std::string> ProgramArguments(int, char**) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; wide != nullptr && i < count; ++i) {
    arguments.push_back(Utf8FromWide(wide[i]));
  }
  LocalFree(wide);
  return arguments;
}

std::filesystem::path PathFromArgument(std::string_view argument) {
  return std::filesystem::path(WideFromUtf8(argument));
}

}  // namespace lettermorph
