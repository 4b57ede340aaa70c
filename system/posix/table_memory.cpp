#include "system/table_memory.h"

#include <sys/mman.h>

#include <algorithm>
#include <limits>
#include <new>

namespace lettermorph {

#ifdef MADV_HUGEPAGE

namespace {

constexpr std::size_t kLargePage = std::size_t{2} << 20;

// Whole large pages, so that no other allocation shares the last one and the advice covers
// every page of the block.
std::size_t LargePagesFor(std::size_t bytes) {
  if (bytes > std::numeric_limits<std::size_t>::max() - (kLargePage - 1)) {
    throw std::bad_alloc();
  }
  return (bytes + kLargePage - 1) / kLargePage * kLargePage;
}

class LargePageMemory final : public std::pmr::memory_resource {
 private:
  void* do_allocate(std::size_t bytes, std::size_t alignment) override {
    if (bytes < kLargeTableBlock) {
      return std::pmr::new_delete_resource()->allocate(bytes, alignment);
    }
    const std::size_t size = LargePagesFor(bytes);
    void* block = ::operator new (size, std::align_val_t{std::max(alignment, kLargePage)});
    // Only advice: where the system has no large page to give, the block works all the same.
    madvise(block, size, MADV_HUGEPAGE);
    return block;
  }

  void do_deallocate(void* block, std::size_t bytes, std::size_t alignment) override {
    if (bytes < kLargeTableBlock) {
      std::pmr::new_delete_resource()->deallocate(block, bytes, alignment);
      return;
    }
    ::operator delete (block, std::align_val_t{std::max(alignment, kLargePage)});
  }

  bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override {
    return this == &other;
  }
};

}  // namespace

std::pmr::memory_resource& TableMemory() {
  // Never destroyed: a table in a static object may be freed after this would be.
  static LargePageMemory* const memory = new LargePageMemory;
  return *memory;
}

#else

// No large pages to ask for.
std::pmr::memory_resource& TableMemory() {
  return *std::pmr::new_delete_resource();
}

#endif

}  // namespace lettermorph
