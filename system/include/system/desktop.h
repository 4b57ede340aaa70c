#pragma once

#include <optional>
#include <string>

namespace lettermorph {

// Asks the Windows shell to open `address`, as a double click would: the "Open" verb, with the
// started program's window shown as it is. Its result is not examined. Returns false where
// there is no Windows shell, and the caller then opens the address its own way.
bool OpenWithWindowsShell(const std::string& address);

// Why no window can be opened, where that is clear before trying: on X11 and Wayland systems,
// no display named in the environment. Never anything on Windows.
std::optional<std::string> MissingDisplay();

// Tells the user why the program could not start: in a message box on Windows, where a
// windowed program has no console, and on standard error elsewhere.
void ReportStartupFailure(const std::string& message);

}  // namespace lettermorph
