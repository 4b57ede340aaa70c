#include "system/desktop.h"

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
// windows.h must come first.
#include <shellapi.h>

#include "system/utf16_text.h"
#else
#include "system/console.h"
#endif

namespace lettermorph {

#ifdef _WIN32

bool OpenWithWindowsShell(const std::string& address) {
  ShellExecuteA(nullptr, "Open", address.c_str(), nullptr, nullptr, SW_SHOW);
  return true;
}

std::optional<std::string> MissingDisplay() {
  return std::nullopt;
}

void ReportStartupFailure(const std::string& message) {
  MessageBoxW(nullptr, WideFromUtf8(message).c_str(), L"Lettermorph", MB_OK | MB_ICONERROR);
}

#else

bool OpenWithWindowsShell(const std::string&) {
  return false;
}

std::optional<std::string> MissingDisplay() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((x11 == nullptr || *x11 == '\0') && (wayland == nullptr || *wayland == '\0')) {
    return "no display to open a window on (neither DISPLAY nor WAYLAND_DISPLAY is set)";
  }
  return std::nullopt;
}

void ReportStartupFailure(const std::string& message) {
  WriteToStandardError(message + "\n");
}

#endif

}  // namespace lettermorph
