#pragma once

#include <system_error>

#include "system/mapped_input.h"

namespace lettermorph {

// Consumes a regular file from its current position to the size it had when this started, by
// mapping it a window at a time, then leaves the position there, for read() to take what was
// added since. `stopped` tells whether the consumer or a fault ended it. A file that cannot be
// mapped, and every file on a system that maps none, is left to read() untouched.
std::error_code ConsumeMappedFile(int fd, const MappedInput::Consumer& consume, bool& stopped);

}  // namespace lettermorph
