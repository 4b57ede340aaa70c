#include "interrupt_cleanup.h"

namespace lettermorph {

// The temporary files made on Windows are marked for deletion until they are kept, so they
// vanish by themselves when the program ends, however it ends.
void RemoveOnInterrupt(const std::filesystem::path&) {}

void ForgetOnInterrupt() {}

InterruptsHeld::InterruptsHeld() = default;

InterruptsHeld::~InterruptsHeld() = default;

}  // namespace lettermorph
