#include "system/file_image.h"

#include <utility>

namespace lettermorph {

// Moving and ending an image are the same everywhere; how it is mapped and released is each
// platform's own.
FileImage::FileImage(FileImage&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      mapping_(std::exchange(other.mapping_, nullptr)) {}

FileImage& FileImage::operator=(FileImage&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    mapping_ = std::exchange(other.mapping_, nullptr);
  }
  return *this;
}

FileImage::~FileImage() {
  Release();
}

}  // namespace lettermorph
