#include "system/table_memory.h"

namespace lettermorph {

// Large pages need a privilege that programs are not given by default.
std::pmr::memory_resource& TableMemory() {
  return *std::pmr::new_delete_resource();
}

}  // namespace lettermorph
