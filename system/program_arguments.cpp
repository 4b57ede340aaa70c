#include "system/program_arguments.h"

#ifdef _WIN32
#include <windows.h>
// windows.h must come first.
#include <shellapi.h>

#include "system/utf16_text.h"
#endif

namespace lettermorph {

#ifdef _WIN32

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

#else

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return {argv + (argc > 0 ? 1 : 0), argv + argc};
}

std::filesystem::path PathFromArgument(std::string_view argument) {
  return std::filesystem::path(argument);
}

#endif

}  // namespace lettermorph
