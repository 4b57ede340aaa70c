#include "system/console.h"

#include <windows.h>

#include <cstdio>

#include "utf16_text.h"

namespace lettermorph {
namespace {

void Write(std::string_view text, bool error) {
  std::FILE* stream = error ? stderr : stdout;
  const HANDLE console = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (GetConsoleMode(console, &mode)) {
    std::fflush(stream);
    const std::wstring wide = WideFromUtf8(text);
    DWORD written = 0;
    WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
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
