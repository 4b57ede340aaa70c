// Loads a settings.ini that is a single 200 MiB line, as a hand-made or damaged file may be,
// and reports the time and the memory the load needed beyond what the process held before.

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "settings/settings_file.h"

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  const fs::path path = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "huge.ini";
  const std::uintmax_t size = 200u << 20;
  std::ofstream(path, std::ios::binary) << std::string(1 << 20, 'q');
  fs::resize_file(path, size);

  rusage before{};
  getrusage(RUSAGE_SELF, &before);
  const auto start = std::chrono::steady_clock::now();
  lettermorph::ReplacementTable table;
  lettermorph::SettingsFile(lettermorph::CodePage::Named("UTF-8"), path).LoadSettings(table);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  rusage after{};
  getrusage(RUSAGE_SELF, &after);
  fs::remove(path);

  const double grown = static_cast<double>(after.ru_maxrss - before.ru_maxrss) * 1024;
  std::printf(
      "settings.ini of one %.0f MiB line: loaded in %.2f s, peak memory grew by %.0f MiB "
      "(%.2fx the file); slot 0 holds %zu characters\n",
      size / 1048576.0, took.count(), grown / 1048576, grown / size,
      table.ReplacementAt(0)->size());
  return 0;
}
