#include "mapped_file.h"

namespace lettermorph {

// Windows reads every input into the buffer.
std::error_code ConsumeMappedFile(int, const MappedInput::Consumer&, bool&) {
  return {};
}

}  // namespace lettermorph
