#include "system/desktop.h"

#include <windows.h>
// windows.h must come first.
#include <shellapi.h>

#include "utf16_text.h"

namespace lettermorph {

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

}  // namespace lettermorph
