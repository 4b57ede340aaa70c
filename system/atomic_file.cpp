#include "system/atomic_file.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <string>

#include "system/path_operations.h"

namespace lettermorph {
namespace {

namespace fs = std::filesystem;
using Step = FileStep;

// A temporary file is named after its target, "settings.ini.tmp-" and eight characters.
constexpr std::string_view kTemporaryMark = ".tmp-";
constexpr std::string_view kSuffixCharacters = "0123456789abcdefghijklmnopqrstuvwxyz";
constexpr std::size_t kSuffixLength = 8;
constexpr int kNameAttempts = 100;
// A temporary file this old belongs to no save still running.
constexpr auto kStaleAge = std::chrono::hours(24);

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

// Temporary files that a killed or crashed save left beside the target. Best effort: whatever
// cannot be read or removed is left alone.
void RemoveStaleTemporaries(const fs::path& target) {
  std::error_code error;
  const auto now = fs::file_time_type::clock::now();
  for (fs::directory_iterator it(target.parent_path(), error), end; !error && it != end;
       it.increment(error)) {
    std::error_code ignored;
    if (IsTemporaryOf(it->path(), target) && it->is_regular_file(ignored) &&
        now - it->last_write_time(ignored) > kStaleAge) {
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
  if (fs::exists(existing) && !IsWritable(target_)) {
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
  std::error_code error = Run(Step::Create, [this] {
    std::error_code unnamed;
    file_ = FileHandle::CreateUnnamed(target_.parent_path(), unnamed);
    if (!unnamed) {
      method_ = Method::Unnamed;
      return unnamed;
    }
    return unnamed == std::errc::operation_not_supported ? CreateTemporary() : unnamed;
  });
  if (IsPermissionDenied(error) && fs::is_regular_file(existing)) {
    error = Run(Step::Create, [this] {
      std::error_code opened;
      file_ = FileHandle::OpenForWriting(target_, opened);
      if (!opened) {
        method_ = Method::InPlace;
      }
      return opened;
    });
  }
  if (error) {
    Fail(Step::Create, error);
  } else if (method_ != Method::InPlace && fs::exists(existing)) {
    file_.TakePermissionsOf(target_);
  }
}

std::error_code AtomicFile::CreateTemporary() {
  std::error_code error;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const fs::path candidate = TemporaryName(target_);
    file_ = FileHandle::CreateTemporary(candidate, error);
    if (!error) {
      temporary_ = candidate;
      method_ = Method::Temporary;
      break;
    }
    if (error != std::errc::file_exists) {
      break;
    }
  }
  return error;
}

bool AtomicFile::Write(std::string_view bytes) {
  if (failure_) {
    return false;
  }
  if (auto error = Run(Step::Write, [&] { return file_.WriteAll(bytes); })) {
    Fail(Step::Write, error);
    return false;
  }
  written_ += bytes.size();
  return true;
}

bool AtomicFile::Commit() {
  if (failure_) {
    return false;
  }
  if (method_ == Method::InPlace) {
    // The old contents may have been longer.
    if (auto error = Run(Step::Write, [this] { return file_.Truncate(written_); })) {
      Fail(Step::Write, error);
      return false;
    }
  }
  if (auto error = Run(Step::Sync, [this] { return file_.Sync(); })) {
    Fail(Step::Sync, error);
    return false;
  }
  if (method_ == Method::Unnamed) {
    // The unnamed file takes a temporary name first: it cannot take the old file's place
    // directly, since linking never replaces an existing name.
    auto error = Run(Step::Replace, [this] {
      std::error_code linked;
      for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const fs::path candidate = TemporaryName(target_);
        linked = file_.LinkAs(candidate);
        if (!linked) {
          temporary_ = candidate;
          break;
        }
        if (linked != std::errc::file_exists) {
          break;
        }
      }
      return linked;
    });
    if (error) {
      Fail(Step::Replace, error);
      return false;
    }
  }
  if (auto error = Run(Step::Flush, [this] {
        const std::error_code kept = file_.KeepOnClose();
        const std::error_code closed = file_.Close();
        return kept ? kept : closed;
      })) {
    Fail(Step::Flush, error);
    return false;
  }
  if (method_ != Method::InPlace) {
    if (auto error = Run(Step::Replace, [this] { return MoveIntoPlace(temporary_, target_); })) {
      Fail(Step::Replace, error);
      return false;
    }
    temporary_.clear();
  }
  return true;
}

std::error_code AtomicFile::Run(Step step, const std::function<std::error_code()>& action) {
  if (faults_) {
    if (auto injected = faults_(step)) {
      return injected;
    }
  }
  return action();
}

void AtomicFile::Fail(Step step, std::error_code reason) {
  const bool rewriting = method_ == Method::InPlace && step != Step::Create;
  failure_ = FileFailure{step, path_, reason, !rewriting};
  Discard();
}

void AtomicFile::Discard() {
  file_.Close();
  if (!temporary_.empty()) {
    std::error_code ignored;
    fs::remove(temporary_, ignored);
    temporary_.clear();
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
