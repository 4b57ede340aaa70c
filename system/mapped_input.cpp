#include "system/mapped_input.h"

#include <string>

#include "mapped_file.h"
#include "system/table_memory.h"

namespace lettermorph {
namespace {

class ReadCategory final : public std::error_category {
 public:
  const char* name() const noexcept override { return "read"; }
  std::string message(int) const override { return "the file shrank while it was read"; }
};

}  // namespace

std::error_code FileShrankWhileRead() {
  static const ReadCategory category;
  return {1, category};
}

MappedInput::MappedInput(bool mapFiles, std::size_t readSize)
    : mapFiles_(mapFiles), readSize_(readSize), buffer_(nullptr, FreeBuffer{readSize}) {}
MappedInput::~MappedInput() = default;

void MappedInput::FreeBuffer::operator()(char* buffer) const {
  TableMemory().deallocate(buffer, size);
}

std::error_code MappedInput::ReadAll(FileHandle& input, const Consumer& consume) {
  bool stopped = false;
  if (const std::error_code error =
          mapFiles_ ? ConsumeMappedFile(input.Descriptor(), consume, stopped) : std::error_code();
      stopped) {
    return error;
  }
  // Left unfilled, so that the pages cost nothing until a read fills them: after a mapped
  // file, the read that finds nothing more is the usual case.
  if (!buffer_) {
    buffer_.reset(static_cast<char*>(TableMemory().allocate(readSize_)));
  }
  std::error_code error;
  for (;;) {
    const auto got = input.Read(std::span<char>(buffer_.get(), readSize_), error);
    if (!got || *got == 0 || !consume(std::string_view(buffer_.get(), *got))) {
      return error;
    }
  }
}

}  // namespace lettermorph
