#pragma once

#include <filesystem>

#include "interrupt_mask.h"

namespace lettermorph {

// Removes a temporary file if a signal ends the program while the file has a name (Ctrl+C, a
// terminated session, kill, a fault), so that no half-written file stays behind; one file at
// a time. Handlers are in place only while a file is registered, and only for signals left
// to their default action: one the program ignores or handles itself may not end it, and
// the save then goes on. Windows needs
// no such help: the temporary files made there vanish by themselves when the program ends.
void RemoveOnInterrupt(const std::filesystem::path& temporary);
// The file is finished or gone: an interruption from now on leaves it alone.
void ForgetOnInterrupt();

// While one of these lives, the signals that would end the program wait, so that a file can be
// made or renamed and its registration above changed as one step, with no moment between in
// which an interruption would leave the file behind or remove someone else's.
class InterruptsHeld {
 public:
  InterruptsHeld();
  ~InterruptsHeld();
  InterruptsHeld(const InterruptsHeld&) = delete;
  InterruptsHeld& operator=(const InterruptsHeld&) = delete;

 private:
  InterruptMask previous_;
};

}  // namespace lettermorph
