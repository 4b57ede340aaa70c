#pragma once

#include <filesystem>

namespace lettermorph {

// Removes a temporary file if Ctrl+C or a terminated session ends the program while it is
// written, so that no half-written file stays behind; one file at a time. Windows needs no
// such help: the temporary files made there vanish by themselves when the program ends.
void RemoveOnInterrupt(const std::filesystem::path& temporary);
// The file is finished or gone: an interruption from now on leaves it alone.
void ForgetOnInterrupt();

}  // namespace lettermorph
