#pragma once

#include <system_error>

#include "system/atomic_file.h"

namespace lettermorph {

// A fault hook that makes the `occurrence`-th run of `step` fail with `reason`, and lets
// every other step run.
inline FaultHook FailAt(FileStep step, std::errc reason = std::errc::io_error, int occurrence = 1) {
  return [step, reason, occurrence, seen = 0](FileStep asked) mutable {
    return asked == step && ++seen == occurrence ? std::make_error_code(reason) : std::error_code();
  };
}

}  // namespace lettermorph
