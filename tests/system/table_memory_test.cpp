#include "system/table_memory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <new>
#include <sstream>
#include <string>

namespace lettermorph {
namespace {

constexpr std::size_t kLargePage = std::size_t{2} << 20;

// The mapping of this process that holds a block: where it ends and whether it was asked for
// large pages.
struct Mapping {
  std::uintptr_t end = 0;
  bool largePages = false;
};

Mapping MappingOf(const void* block) {
  const auto address = reinterpret_cast<std::uintptr_t>(block);
  std::ifstream maps("/proc/self/smaps");
  Mapping mapping;
  bool inside = false;
  for (std::string line; std::getline(maps, line);) {
    std::uintptr_t begin = 0, end = 0;
    char dash = 0;
    std::istringstream fields(line);
    if (fields >> std::hex >> begin >> dash >> end && dash == '-') {
      inside = begin <= address && address < end;
      if (inside) {
        mapping = {end, false};
      }
    } else if (inside && line.starts_with("VmFlags:")) {
      mapping.largePages = (line + " ").find(" hg ") != std::string::npos;
      return mapping;
    }
  }
  return {};
}

bool SystemHasLargePages() {
  return std::filesystem::exists("/sys/kernel/mm/transparent_hugepage/enabled");
}

// From the threshold on, a block fills whole large pages of its own, asked for large pages;
// just under it, a block is ordinary memory. Every byte asked for is written, so that a block
// too small shows in a sanitized build.
TEST(TableMemory, GivesLargeBlocksWholeLargePages) {
  if (!SystemHasLargePages()) {
    GTEST_SKIP() << "no large pages on request here";
  }
  std::pmr::memory_resource& memory = TableMemory();
  for (const std::size_t size : {kLargeTableBlock, kLargePage + 1}) {
    void* block = memory.allocate(size, 64);
    std::memset(block, 1, size);
    const auto address = reinterpret_cast<std::uintptr_t>(block);
    EXPECT_EQ(address % kLargePage, 0u) << size;
    const Mapping mapping = MappingOf(block);
    EXPECT_TRUE(mapping.largePages) << size;
    EXPECT_GE(mapping.end - address, (size + kLargePage - 1) / kLargePage * kLargePage) << size;
    memory.deallocate(block, size, 64);
  }
  void* small = memory.allocate(kLargeTableBlock - 1, 64);
  std::memset(small, 1, kLargeTableBlock - 1);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(small) % 64, 0u);
  EXPECT_FALSE(MappingOf(small).largePages);
  memory.deallocate(small, kLargeTableBlock - 1, 64);
}

// A table's growth can ask for more than there is, or more than a size can count once rounded
// up to whole pages: the caller must learn it as operator new tells it, never get a block
// smaller than it asked for, nor none at all.
TEST(TableMemory, ReportsAnImpossibleSizeAsBadAlloc) {
  std::pmr::memory_resource& memory = TableMemory();
  EXPECT_THROW(
      static_cast<void>(memory.allocate(std::numeric_limits<std::size_t>::max() - 100, 64)),
      std::bad_alloc);
#ifndef __SANITIZE_ADDRESS__
  // The address sanitizer ends the program on a size it cannot give instead of throwing.
  EXPECT_THROW(static_cast<void>(memory.allocate(std::numeric_limits<std::size_t>::max() / 4, 64)),
               std::bad_alloc);
#endif
}

}  // namespace
}  // namespace lettermorph
