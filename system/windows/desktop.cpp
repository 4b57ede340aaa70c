#include "system/desktop.h"

#include <windows.h>
// windows.h must come first.
#include <shellapi.h>

#include "utf16_text.h"

namespace lettermorph {

bool OpenWithWindowsShell(const std::string& address) {
  // The address is UTF-8; the wide call takes it whole, where the narrow one would read it in
  // the ANSI code page.
  ShellExecuteW(nullptr, L"open", WideFromUtf8(address).c_str(), nullptr, nullptr, SW_SHOW);
  return true;
}

std::optional<std::string> MissingDisplay() {
  return std::nullopt;
}

void ReportStartupFailure(const std::string& message) {
  MessageBoxW(nullptr, WideFromUtf8(message).c_str(), L"Lettermorph", MB_OK | MB_ICONERROR);
}

}  // namespace lettermorph
