#include "system/atomic_file.h"

#include <random>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace lettermorph {
namespace {

namespace fs = std::filesystem;

// Read and write for all, less what the umask takes away, as for any new file.
constexpr auto kNewFilePermissions = static_cast<fs::perms>(0666);

// The file a chain of symbolic links ends at, made absolute, because Windows' ReplaceFileW
// cannot find the folder of a bare file name.
fs::path FinalTarget(fs::path path, std::error_code& error) {
  for (int hop = 0; hop < 40; ++hop) {
    if (!fs::is_symlink(fs::symlink_status(path, error))) {
      error.clear();
      return fs::absolute(path, error);
    }
    const fs::path target = fs::read_symlink(path, error);
    if (error) {
      return path;
    }
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  error = std::make_error_code(std::errc::too_many_symbolic_link_levels);
  return path;
}

std::string RandomSuffix() {
  std::mt19937 random(std::random_device{}());
  const char* digits = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string suffix = ".tmp-";
  for (int i = 0; i < 8; ++i) {
    suffix += digits[random() % 36];
  }
  return suffix;
}

// Moves the finished new file over the old one, or into place when there is none.
std::error_code MoveIntoPlace(const fs::path& temporary, const fs::path& target) {
#ifdef _WIN32
  // ReplaceFileW keeps the old file's attributes and security, and needs it to exist.
  const bool moved = fs::exists(target)
                         ? ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                                        REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                         : MoveFileExW(temporary.c_str(), target.c_str(),
                                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  return moved ? std::error_code() : std::error_code(GetLastError(), std::system_category());
#else
  if (rename(temporary.c_str(), target.c_str()) != 0) {
    return {errno, std::generic_category()};
  }
  // Make the rename itself durable; the new contents are on disk either way.
  const fs::path directory = target.parent_path();
  const int fd = open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
  return {};
#endif
}

}  // namespace

AtomicFile::AtomicFile(const fs::path& path) : path_(path) {
  std::error_code error;
  target_ = FinalTarget(path, error);
  if (error) {
    Fail(FileFailure::Step::CreateTemporary, error);
    return;
  }
  // A directory under the name is never replaced, whatever the platform's rename would do.
  const fs::file_status existing = fs::status(target_, error);
  if (fs::is_directory(existing)) {
    Fail(FileFailure::Step::Replace, std::make_error_code(std::errc::is_a_directory));
    return;
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate = target_;
    candidate += RandomSuffix();
    file_ = FileHandle::CreateNew(candidate, kNewFilePermissions, error);
    if (!error) {
      temporary_ = candidate;
      // A replaced file keeps its permissions.
      if (fs::exists(existing)) {
        fs::permissions(temporary_, existing.permissions(), error);
      }
      return;
    }
    if (error != std::errc::file_exists) {
      break;
    }
  }
  Fail(FileFailure::Step::CreateTemporary, error);
}

AtomicFile::~AtomicFile() {
  file_.Close();
  if (!temporary_.empty()) {
    std::error_code ignored;
    fs::remove(temporary_, ignored);
  }
}

bool AtomicFile::Write(std::string_view bytes) {
  if (!failure_) {
    if (auto error = file_.WriteAll(bytes)) {
      Fail(FileFailure::Step::Write, error);
    }
  }
  return !failure_;
}

bool AtomicFile::Commit() {
  if (failure_) {
    return false;
  }
  std::error_code error = file_.Sync();
  if (!error) {
    error = file_.Close();
  }
  if (error) {
    Fail(FileFailure::Step::Write, error);
  } else if (auto moved = MoveIntoPlace(temporary_, target_)) {
    Fail(FileFailure::Step::Replace, moved);
  } else {
    temporary_.clear();
  }
  return !failure_;
}

void AtomicFile::Fail(FileFailure::Step step, std::error_code reason) {
  failure_ = FileFailure{step, path_, reason};
}

std::optional<FileFailure> ReplaceFileContents(const fs::path& path, std::string_view bytes) {
  AtomicFile file(path);
  file.Write(bytes);
  file.Commit();
  return file.Failure();
}

}  // namespace lettermorph
