#include "system/console.h"

#include <cstdio>

#ifdef _WIN32
#include <windows.h>

#include "system/utf16_text.h"
#endif

namespace lettermorph {
namespace {

void Write(std::string_view text, [[maybe_unused]] bool error) {
  std::FILE* stream = error ? stderr : stdout;
#ifdef _WIN32
  const HANDLE console = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (GetConsoleMode(console, &mode)) {
    std::fflush(stream);
    const std::wstring wide = WideFromUtf8(text);
    DWORD written = 0;
    WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
#endif
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

}  // namespace

void WriteToStandardError(std::string_view text) {
  Write(text, true);
}

void WriteToStandardOutput(std::string_view text) {
  Write(text, false);
}

}  // namespace lettermorph
