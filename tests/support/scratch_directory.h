#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace lettermorph {

// A fresh directory that is the current directory for one test; the previous current
// directory comes back and the directory is removed afterwards. Anyone may enter and write
// it, so that a test may act as an unprivileged user inside it.
class ScratchDirectory {
 public:
  ScratchDirectory() : previous_(std::filesystem::current_path()) {
    path_ = std::filesystem::temp_directory_path() /
            ("lettermorph-test-" + std::to_string(std::random_device()()));
    std::filesystem::create_directory(path_);
    std::filesystem::permissions(path_, std::filesystem::perms::all);
    std::filesystem::current_path(path_);
  }
  ~ScratchDirectory() {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

  // The names in `folder`, sorted.
  static std::vector<std::string> Entries(const std::filesystem::path& folder = ".") {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      names.push_back(reinterpret_cast<const char*>(entry.path().filename().u8string().c_str()));
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  static void Write(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
  }
  static std::string Read(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

// A path from a UTF-8 literal, exact on every platform.
inline std::filesystem::path Utf8Path(std::string_view name) {
  return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

}  // namespace lettermorph
