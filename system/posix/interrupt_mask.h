#pragma once

#include <signal.h>

namespace lettermorph {

// The signals a thread had blocked, for InterruptsHeld to restore.
using InterruptMask = sigset_t;

}  // namespace lettermorph
