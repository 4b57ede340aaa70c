#pragma once

#include <string_view>

namespace lettermorph {

// Writes text for the user, such as a message or the help, to standard error or standard
// output. On a Windows console, whose code page is seldom UTF-8 (866 on a Russian system), the
// UTF-8 text is shown through the console's own wide interface; redirected, and everywhere
// else, the bytes are written as they are.
void WriteToStandardError(std::string_view text);
void WriteToStandardOutput(std::string_view text);

}  // namespace lettermorph
