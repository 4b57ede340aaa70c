#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace lettermorph::fuzz {

// Ends the run when a property does not hold. libFuzzer takes the abort for a crash and keeps
// the input that caused it, so the message only has to say which property failed.
inline void Require(bool holds, std::string_view what) {
  if (!holds) {
    std::fprintf(stderr, "property failed: %.*s\n", static_cast<int>(what.size()), what.data());
    std::abort();
  }
}

}  // namespace lettermorph::fuzz
