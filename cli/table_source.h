#pragma once

#include <optional>
#include <string>

#include "cli/command_line.h"
#include "recode/replacement_table.h"

namespace lettermorph {

// Fills a new table as the command line asks. By default it is what the program itself starts
// with: the design set with the current directory's settings.ini read over it, silently. A
// preset replaces the starting set and skips settings.ini; a settings file named on the
// command line is read over the starting set and must be readable. Returns the reason when
// it is not.
std::optional<std::string> LoadTable(const CommandLine& commandLine, ReplacementTable& table);

}  // namespace lettermorph
