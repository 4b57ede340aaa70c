#pragma once

#include <cstddef>
#include <memory_resource>

namespace lettermorph {

// Blocks this size or larger are for tables read at random, such as a decoder's word cache,
// and for buffers that are filled at once.
inline constexpr std::size_t kLargeTableBlock = std::size_t{1} << 20;

// Memory for large tables and buffers that last as long as the program's work. Where the
// system offers large pages on request, a block of kLargeTableBlock or more starts on a 2 MiB
// boundary and is asked to be backed by large pages: a table read at random then costs far
// fewer misses of the processor's address translation cache, and a buffer filled at once far
// fewer page faults. Smaller blocks, and all blocks elsewhere, come from operator new. Failure
// throws std::bad_alloc, as operator new does.
std::pmr::memory_resource& TableMemory();

}  // namespace lettermorph
