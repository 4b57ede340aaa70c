#pragma once

namespace lettermorph {

// Windows has no signals to hold back, so there is nothing to restore.
struct InterruptMask {};

}  // namespace lettermorph
