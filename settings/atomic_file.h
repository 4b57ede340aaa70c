#pragma once

#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

namespace lettermorph {

// Why a file could not be replaced: the step that failed, the file and the system's reason.
struct FileFailure {
  enum class Step { CreateTemporary, Write, Replace };

  Step step;
  std::filesystem::path file;
  std::error_code reason;
};

// Gives `path` exactly the contents `bytes`, or leaves it as it was. The bytes go to a new
// file beside it, reach the disk, and then take its place in one atomic rename, so a failure
// or a crash at any moment leaves either the old file or the new one, never a part. Where
// `path` is a symbolic link, the file it points to is replaced and the link is kept.
std::optional<FileFailure> ReplaceFileContents(const std::filesystem::path& path,
                                               std::string_view bytes);

}  // namespace lettermorph
