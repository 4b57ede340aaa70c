#pragma once

#include <string>
#include <system_error>

namespace lettermorph {

// The system's description of an error, in UTF-8 on every platform: the C library gives it in
// the locale's character set, and Windows' standard library in the ANSI code page.
std::string ErrorText(const std::error_code& error);

}  // namespace lettermorph
