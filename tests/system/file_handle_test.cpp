#include "system/file_handle.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "../support/scratch_directory.h"

namespace lettermorph {
namespace {

bool IsOpen(int descriptor) {
  return fcntl(descriptor, F_GETFD) != -1;
}

// Standard input and output belong to the process: a handle to them leaves them open however
// it ends (closed, moved or destroyed), while a handle to a file it opened closes it when
// another is assigned over it. Copies of both are kept meanwhile, so that this test can still
// report what went wrong.
TEST(FileHandle, ClosesOnlyWhatItOpened) {
  for (int standard : {0, 1}) {
    if (!IsOpen(standard)) {
      dup2(open("/dev/null", O_RDWR), standard);
    }
  }
  ScratchDirectory directory;
  ScratchDirectory::Write("a.txt", "a");
  const int input = dup(0), output = dup(1);
  bool inputKept = false, fileClosed = false;
  {
    FileHandle handle = FileHandle::StandardInput();
    handle.Close();
    inputKept = IsOpen(0);
    std::error_code error;
    handle = FileHandle::OpenForReading("a.txt", error);
    const int opened = handle.Descriptor();
    handle = FileHandle::StandardOutput();
    fileClosed = !IsOpen(opened);
    const FileHandle moved(std::move(handle));
  }
  const bool outputKept = IsOpen(1);
  dup2(input, 0);
  dup2(output, 1);
  close(input);
  close(output);
  EXPECT_TRUE(inputKept);
  EXPECT_TRUE(fileClosed);
  EXPECT_TRUE(outputKept);
}

}  // namespace
}  // namespace lettermorph
