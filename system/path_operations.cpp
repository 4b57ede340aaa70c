#include "system/path_operations.h"

namespace lettermorph {

namespace fs = std::filesystem;

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

}  // namespace lettermorph
