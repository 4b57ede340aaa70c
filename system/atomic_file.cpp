#include "system/atomic_file.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>
#include <span>
#include <string>

#include "interrupt_cleanup.h"
#include "system/path_operations.h"

namespace lettermorph {
namespace {

namespace fs = std::filesystem;
using Step = FileStep;

// A temporary file is named after its target with a mark no person or other program would
// choose, "settings.ini.lettermorph-tmp-" and eight characters, so that a later save can tell
// what a killed save left behind from anything else in the folder.
constexpr std::string_view kTemporaryMark = ".lettermorph-tmp-";
constexpr std::string_view kSuffixCharacters = "0123456789abcdefghijklmnopqrstuvwxyz";
constexpr std::size_t kSuffixLength = 8;
constexpr int kNameAttempts = 100;
// A temporary file this old belongs to no save still running.
constexpr auto kStaleAge = std::chrono::hours(24);
// The piece in which the new contents are copied over a file rewritten in place.
constexpr std::size_t kCopySize = 256 * 1024;

fs::path TemporaryName(const fs::path& target) {
  static std::mt19937 random(std::random_device{}());
  std::string suffix(kTemporaryMark);
  for (std::size_t i = 0; i < kSuffixLength; ++i) {
    suffix += kSuffixCharacters[random() % kSuffixCharacters.size()];
  }
  fs::path name = target;
  name += suffix;
  return name;
}

bool IsTemporaryOf(const fs::path& candidate, const fs::path& target) {
  const fs::path::string_type prefix =
      target.filename().native() + fs::path(kTemporaryMark).native();
  const fs::path::string_type name = candidate.filename().native();
  return name.size() == prefix.size() + kSuffixLength && name.starts_with(prefix) &&
         std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                     [](auto c) {
                       return c < 0x80 && kSuffixCharacters.find(char(c)) != kSuffixCharacters.npos;
                     });
}

// Temporary files that a killed save left beside the target: only regular files of the user's
// own, never what a link points to. Best effort: whatever cannot be read or removed stays.
void RemoveStaleTemporaries(const fs::path& target) {
  std::error_code error;
  for (fs::directory_iterator it(target.parent_path(), error), end; !error && it != end;
       it.increment(error)) {
    if (!IsTemporaryOf(it->path(), target)) {
      continue;
    }
    const auto age = AgeOfOwnRegularFile(it->path());
    if (age && *age > kStaleAge) {
      std::error_code ignored;
      fs::remove(it->path(), ignored);
    }
  }
}

bool IsPermissionDenied(const std::error_code& error) {
  return error == std::errc::permission_denied || error == std::errc::operation_not_permitted;
}

}  // namespace

AtomicFile::AtomicFile(const fs::path& path, FaultHook faults)
    : path_(path), faults_(std::move(faults)) {
  std::error_code error;
  target_ = FinalTarget(path, error);
  if (error) {
    Fail(Step::Create, error);
    return;
  }
  const fs::file_status existing = fs::status(target_, error);
  if (fs::is_directory(existing)) {
    Fail(Step::Replace, std::make_error_code(std::errc::is_a_directory));
    return;
  }
  existed_ = fs::exists(existing);
  if (existed_ && !IsWritable(target_)) {
    Fail(Step::Replace, std::make_error_code(std::errc::permission_denied));
    return;
  }
  RemoveStaleTemporaries(target_);
  Create(existing);
}

AtomicFile::~AtomicFile() {
  Discard();
}

void AtomicFile::Create(const fs::file_status& existing) {
  std::error_code error = Run(Step::Create, [this] { return CreateUnnamed(); });
  if (error == std::errc::operation_not_supported) {
    error = Run(Step::Create, [this] { return CreateTemporary(); });
  }
  if (IsPermissionDenied(error) && fs::is_regular_file(existing)) {
    error = Run(Step::Create, [this] { return OpenInPlace(); });
  }
  if (error) {
    Fail(Step::Create, error);
  }
}

std::error_code AtomicFile::CreateUnnamed() {
  std::error_code error;
  file_ = FileHandle::CreateUnnamed(
      target_.parent_path(), existed_ ? FileHandle::Access::Owner : FileHandle::Access::Default,
      error);
  if (!error) {
    method_ = Method::Unnamed;
  }
  return error;
}

std::error_code AtomicFile::CreateTemporary() {
  const std::error_code error = TakeTemporaryName([this](const fs::path& candidate) {
    std::error_code created;
    file_ = FileHandle::CreateTemporary(
        candidate, existed_ ? FileHandle::Access::Owner : FileHandle::Access::Default, created);
    return created;
  });
  if (!error) {
    method_ = Method::Temporary;
  }
  return error;
}

// Tries names beside the target until `make` makes a file under one that was not taken, which
// becomes the temporary name; signals wait meanwhile, so that a file never has a name that an
// interruption would not remove.
std::error_code AtomicFile::TakeTemporaryName(
    const std::function<std::error_code(const fs::path&)>& make) {
  std::error_code error;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const fs::path candidate = TemporaryName(target_);
    const InterruptsHeld held;
    error = make(candidate);
    if (!error) {
      temporary_ = candidate;
      RemoveOnInterrupt(temporary_);
      break;
    }
    if (error != std::errc::file_exists) {
      break;
    }
  }
  return error;
}

std::error_code AtomicFile::OpenInPlace() {
  std::error_code error;
  oldLength_ = fs::file_size(target_, error);
  if (!error) {
    rewritten_ = FileHandle::OpenForWriting(target_, error);
  }
  if (!error) {
    file_ = FileHandle::CreateScratch(error);
  }
  if (!error) {
    method_ = Method::InPlace;
  }
  return error;
}

bool AtomicFile::Write(std::string_view bytes) {
  if (failure_) {
    return false;
  }
  if (!RunOrFail(Step::Write, [&] { return file_.WriteAll(bytes); })) {
    return false;
  }
  written_ += bytes.size();
  return true;
}

bool AtomicFile::Commit() {
  if (failure_) {
    return false;
  }
  return method_ == Method::InPlace ? CommitInPlace() : CommitBeside();
}

bool AtomicFile::CommitBeside() {
  file_.TakePermissionsOf(target_);
  if (!RunOrFail(Step::Sync, [this] { return file_.Sync(); })) {
    return false;
  }
  if (method_ == Method::Unnamed && !RunOrFail(Step::Replace, [this] { return NameUnnamed(); })) {
    return false;
  }
  const auto close = [this] {
    const std::error_code kept = file_.KeepOnClose();
    const std::error_code closed = file_.Close();
    return kept ? kept : closed;
  };
  if (!RunOrFail(Step::Flush, close)) {
    return false;
  }
  return RunOrFail(Step::Replace, [this] {
    const InterruptsHeld held;
    const std::error_code moved = MoveIntoPlace(temporary_, target_);
    if (!moved) {
      temporary_.clear();
      ForgetOnInterrupt();
    }
    return moved;
  });
}

// The unnamed file takes a temporary name first: it cannot take the old file's place
// directly, since linking never replaces an existing name.
std::error_code AtomicFile::NameUnnamed() {
  return TakeTemporaryName([this](const fs::path& candidate) { return file_.LinkAs(candidate); });
}

bool AtomicFile::CommitInPlace() {
  {
    // Signals that would end the program wait until the file is whole again, so that neither
    // zeros that made room past its end nor part of the new contents stay because of them.
    const InterruptsHeld held;
    if (!RunOrFail(Step::Reserve, [this] { return rewritten_.Reserve(written_); })) {
      return false;
    }
    bool touched = false;
    if (auto error = Overwrite(touched)) {
      // Zeros that made room past the old end go again; the old bytes were not touched.
      const bool kept = !touched && !rewritten_.Truncate(oldLength_);
      Fail(Step::Replace, error, kept ? FileLeft::Old : FileLeft::Damaged);
      return false;
    }
  }
  const auto sync = [this] { return rewritten_.Sync(); };
  const auto close = [this] { return rewritten_.Close(); };
  if (!RunOrFail(Step::Sync, sync, FileLeft::NewUnsynced) ||
      !RunOrFail(Step::Flush, close, FileLeft::NewUnsynced)) {
    return false;
  }
  file_.Close();
  return true;
}

// Copies the new contents from their private file over the old file, and cuts it to their
// length. `touched` tells whether anything was written to the old file.
std::error_code AtomicFile::Overwrite(bool& touched) {
  if (auto error = Run(Step::Replace, [this] { return file_.Rewind(); })) {
    return error;
  }
  const auto buffer = std::make_unique_for_overwrite<char[]>(kCopySize);
  for (std::uint64_t copied = 0; copied < written_;) {
    const std::error_code error = Run(Step::Replace, [&] {
      std::error_code failure;
      const auto got = file_.Read(std::span<char>(buffer.get(), kCopySize), failure);
      if (!got || *got == 0) {
        return got ? std::make_error_code(std::errc::io_error) : failure;
      }
      touched = true;
      copied += *got;
      return rewritten_.WriteAll(std::string_view(buffer.get(), *got));
    });
    if (error) {
      return error;
    }
  }
  return Run(Step::Replace, [this] { return rewritten_.Truncate(written_); });
}

std::error_code AtomicFile::Run(Step step, const std::function<std::error_code()>& action) {
  if (faults_) {
    if (auto injected = faults_(step)) {
      return injected;
    }
  }
  return action();
}

bool AtomicFile::RunOrFail(Step step, const std::function<std::error_code()>& action,
                           FileLeft left) {
  if (auto error = Run(step, action)) {
    Fail(step, error, left);
    return false;
  }
  return true;
}

void AtomicFile::Fail(Step step, std::error_code reason, FileLeft left) {
  failure_ = FileFailure{step, path_, reason, left};
  Discard();
}

void AtomicFile::Discard() {
  file_.Close();
  rewritten_.Close();
  if (!temporary_.empty()) {
    const InterruptsHeld held;
    std::error_code ignored;
    fs::remove(temporary_, ignored);
    temporary_.clear();
    ForgetOnInterrupt();
  }
}

std::optional<FileFailure> ReplaceFileContents(const fs::path& path, std::string_view bytes,
                                               FaultHook faults) {
  AtomicFile file(path, std::move(faults));
  file.Write(bytes);
  file.Commit();
  return file.Failure();
}

}  // namespace lettermorph
