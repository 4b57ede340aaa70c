#pragma once

#include <string>
#include <system_error>

namespace lettermorph {

// The system's description of an error, in UTF-8 on Windows (where the standard library would
// give the ANSI code page) and as the C library gives it elsewhere.
std::string ErrorText(const std::error_code& error);

}  // namespace lettermorph
