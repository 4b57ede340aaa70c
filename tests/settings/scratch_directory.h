#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace lettermorph {

// A fresh directory that is the current directory for one test; the previous current
// directory comes back and the directory is removed afterwards.
class ScratchDirectory {
 public:
  ScratchDirectory() : previous_(std::filesystem::current_path()) {
    path_ = std::filesystem::temp_directory_path() /
            ("lettermorph-test-" + std::to_string(std::random_device()()));
    std::filesystem::create_directory(path_);
    std::filesystem::current_path(path_);
  }
  ~ScratchDirectory() {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(path_);
  }

  std::size_t EntryCount() const {
    return std::distance(std::filesystem::directory_iterator(path_), {});
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

}  // namespace lettermorph
