#pragma once

#include <system_error>
#include <utility>

#include "system/atomic_file.h"

namespace lettermorph {

// A fault hook that makes the `occurrence`-th run of `step` fail with `reason`, and lets
// every other step run.
inline FaultHook FailAt(FileStep step, std::errc reason = std::errc::io_error, int occurrence = 1) {
  return [step, reason, occurrence, seen = 0](FileStep asked) mutable {
    return asked == step && ++seen == occurrence ? std::make_error_code(reason) : std::error_code();
  };
}

// The ways a file is written: a new file with no name until it is finished, where the system
// makes one; a new file under a temporary name; or the old file rewritten in place.
enum class WriteWay { Unnamed, Named, InPlace };

// A fault hook that makes the file be written in `way`, on any system, by refusing the ways
// tried before it; every other step is left to `then`.
inline FaultHook Forced(WriteWay way, FaultHook then = {}) {
  return [way, then = std::move(then), first = true](FileStep step) mutable {
    if (step == FileStep::Create && std::exchange(first, false) && way != WriteWay::Unnamed) {
      return std::make_error_code(way == WriteWay::Named ? std::errc::operation_not_supported
                                                         : std::errc::permission_denied);
    }
    return then ? then(step) : std::error_code();
  };
}

}  // namespace lettermorph
