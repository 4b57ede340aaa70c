#pragma once

#include <string>
#include <vector>

#include "system/atomic_file.h"

namespace lettermorph {

// The status when the reader of standard output, or of an output pipe, went away: that of a
// program the closed pipe's signal ended, as the shell reports it.
inline constexpr int kReaderGoneStatus = 141;

// What the caller of RunProgram does once it returns: go on, or end the process. A process
// that ends leaves the words the decoder remembered to the system, which takes their memory
// back whole, rather than freeing them one by one.
enum class AfterRun { Continue, Exit };

// lettermorph-cli as a whole, given its arguments after the program's name: it parses them,
// recodes the inputs to the output and reports on standard error. Returns the exit status;
// kReaderGoneStatus, with nothing said, when the reader of the output went away.
// `outputFaults` is for tests: it can make any step of writing an output file fail.
int RunProgram(const std::vector<std::string>& arguments, const FaultHook& outputFaults = {},
               AfterRun afterRun = AfterRun::Continue);

}  // namespace lettermorph
