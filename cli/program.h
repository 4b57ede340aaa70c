#pragma once

#include <string>
#include <vector>

#include "system/atomic_file.h"

namespace lettermorph {

// lettermorph-cli as a whole, given its arguments after the program's name: it parses them,
// recodes the inputs to the output and reports on standard error. Returns the exit status.
// `outputFaults` is for tests: it can make any step of writing an output file fail.
int RunProgram(const std::vector<std::string>& arguments, const FaultHook& outputFaults = {});

}  // namespace lettermorph
