#include "system/mapped_input.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <utility>

#include "../support/scratch_directory.h"
#include "system/error_text.h"

namespace lettermorph {
namespace {

// 9 MiB and a bit, no two windows alike, so a piece given twice or out of place shows.
std::string Contents() {
  std::string bytes((9 << 20) + 123, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<char>(i * 7 + i / 4099);
  }
  return bytes;
}

struct Collected {
  std::string bytes;
  std::size_t largest = 0;
  std::error_code error;
};

Collected ReadAll(FileHandle& input, const std::function<void(std::string_view)>& also = {},
                  MappedInput&& reader = MappedInput()) {
  Collected collected;
  collected.error = reader.ReadAll(input, [&](std::string_view piece) {
    collected.bytes.append(piece);
    collected.largest = std::max(collected.largest, piece.size());
    if (also) {
      also(piece);
    }
    return true;
  });
  return collected;
}

// A regular file is mapped from wherever its position is, a window of at most 4 MiB at a time,
// with the bytes it gains while it is read after the part that was there at first; and the
// position ends at the end, as read() would leave it for whoever shares it.
TEST(MappedInput, ReadsAFileFromItsPositionToItsEnd) {
  ScratchDirectory scratch;
  std::string contents = Contents();
  ScratchDirectory::Write("in", contents);
  const int appender = open("in", O_WRONLY | O_APPEND);
  ASSERT_GE(appender, 0);
  for (const off_t start : {off_t{0}, off_t{(5 << 20) + 17}}) {
    std::error_code error;
    FileHandle input = FileHandle::OpenForReading("in", error);
    ASSERT_FALSE(error);
    ASSERT_EQ(lseek(input.Descriptor(), start, SEEK_SET), start);
    bool added = false;
    const Collected collected = ReadAll(input, [&](std::string_view) {
      if (!std::exchange(added, true)) {
        ASSERT_EQ(write(appender, "more", 4), 4);
      }
    });
    EXPECT_FALSE(collected.error);
    EXPECT_TRUE(collected.bytes == contents.substr(start) + "more") << "not the same bytes";
    contents += "more";
    EXPECT_LE(collected.largest, std::size_t{4} << 20);
    EXPECT_EQ(lseek(input.Descriptor(), 0, SEEK_CUR), static_cast<off_t>(contents.size()));
    EXPECT_TRUE(ReadAll(input).bytes.empty());
  }
  close(appender);
}

// Where files are not to be mapped, a file is read into the buffer in pieces of the size asked,
// which may be larger than the default, whole and in order.
TEST(MappedInput, ReadsIntoABufferOfTheSizeAsked) {
  ScratchDirectory scratch;
  const std::string contents = Contents();
  ScratchDirectory::Write("in", contents);
  for (const std::size_t size : {std::size_t{4096}, std::size_t{1} << 20}) {
    std::error_code error;
    FileHandle input = FileHandle::OpenForReading("in", error);
    ASSERT_FALSE(error);
    const Collected collected = ReadAll(input, {}, MappedInput(false, size));
    EXPECT_FALSE(collected.error);
    EXPECT_TRUE(collected.bytes == contents) << "not the same bytes, pieces of " << size;
    EXPECT_EQ(collected.largest, size);
  }
}

// A file cut short while a window of it is in use is a failure to read that says so, not a
// crash.
TEST(MappedInput, AFileCutShortWhileReadIsAnError) {
  ScratchDirectory scratch;
  ScratchDirectory::Write("in", Contents());
  std::error_code error;
  FileHandle input = FileHandle::OpenForReading("in", error);
  std::size_t calls = 0;
  const Collected collected = ReadAll(input, [&](std::string_view piece) {
    ++calls;
    ASSERT_EQ(truncate("in", 1 << 20), 0);
    volatile char lost = piece[3 << 20];
    (void)lost;
  });
  EXPECT_EQ(collected.error, FileShrankWhileRead());
  EXPECT_EQ(ErrorText(collected.error), "the file shrank while it was read");
  EXPECT_EQ(calls, 1u);
}

}  // namespace
}  // namespace lettermorph
