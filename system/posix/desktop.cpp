#include "system/desktop.h"

#include <cstdlib>

#include "system/console.h"

namespace lettermorph {

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

}  // namespace lettermorph
