#pragma once

#include "cli/command_line.h"
#include "cli/output_file.h"
#include "engine/replacement_table.h"

namespace lettermorph {

// lettermorph-cli --decode: reads every input of the command line in turn and writes it back
// as Russian to `output`, which it commits at the end. Without the dictionary it decodes all
// the same and says once on standard error that the result is less accurate. Returns the exit
// status: 0, or 1 when an input could not be read or the output could not be written.
int DecodeInputs(const CommandLine& commandLine, const ReplacementTable& table, OutputFile& output);

}  // namespace lettermorph
