#include "system/file_image.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace lettermorph {

void FileImage::Release() {
  if (mapping_ != nullptr) {
    munmap(mapping_, size_);
  }
  data_ = nullptr;
  size_ = 0;
  mapping_ = nullptr;
}

FileImage FileImage::Open(const std::filesystem::path& path, std::error_code& error) {
  error.clear();
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = {errno, std::generic_category()};
    return {};
  }
  FileImage image;
  struct stat status {};
  if (fstat(fd, &status) != 0) {
    error = {errno, std::generic_category()};
  } else if (!S_ISREG(status.st_mode)) {
    error = std::make_error_code(std::errc::invalid_argument);
  } else if (status.st_size > 0) {
    const auto size = static_cast<std::size_t>(status.st_size);
    void* mapped = mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
    if (mapped == MAP_FAILED) {
      error = {errno, std::generic_category()};
    } else {
#ifdef MADV_HUGEPAGE
      // The images are large and read at scattered places, and with small pages nearly every
      // read misses the TLB as well as the cache. Asked, Linux reads a file not yet cached
      // into pages that can be mapped 2 MiB at a time, and this run and every later one maps
      // them so; where it cannot, the pages are small as before.
      madvise(mapped, size, MADV_HUGEPAGE);
#endif
      image.mapping_ = mapped;
      image.data_ = static_cast<const std::byte*>(mapped);
      image.size_ = size;
    }
  }
  close(fd);
  return image;
}

bool FitsFileSizeLimit(std::uint64_t size) {
  struct rlimit limit {};
  return getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
         size <= limit.rlim_cur;
}

}  // namespace lettermorph
