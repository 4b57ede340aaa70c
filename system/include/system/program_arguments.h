#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace lettermorph {

// The program's command-line arguments after its name. On Windows they are taken from the
// wide command line and given in UTF-8, because the narrow argv has been converted to the ANSI
// code page with look-alike substitutions ("café" becomes "cafe"); elsewhere they are argv's
// bytes as they came.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// The file an argument names: its UTF-8 taken back to the wide name on Windows, its bytes as
// they are elsewhere, so that every name reaches the file system exactly.
std::filesystem::path PathFromArgument(std::string_view argument);

}  // namespace lettermorph
