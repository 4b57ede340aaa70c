#include "table_source.h"

#include <filesystem>
#include <system_error>

#include "settings/settings_file.h"
#include "system/error_text.h"
#include "system/file_handle.h"
#include "system/program_arguments.h"

namespace lettermorph {
namespace {

// LoadSettings reads nothing, silently, from a file it cannot open; a file the user named is
// checked first so that a typing mistake is not taken for an empty file.
std::optional<std::string> CheckReadable(const std::filesystem::path& path) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (error) {
    return ErrorText(error);
  }
  if (!std::filesystem::is_regular_file(status)) {
    return "not a regular file";
  }
  FileHandle::OpenForReading(path, error);
  if (error) {
    return ErrorText(error);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> LoadTable(const CommandLine& commandLine, ReplacementTable& table) {
  if (commandLine.preset == CommandLine::Preset::Reset) {
    table.ApplyResetDefaults();
  }
  if (commandLine.settings) {
    const std::filesystem::path path = PathFromArgument(*commandLine.settings);
    if (auto reason = CheckReadable(path)) {
      return *commandLine.settings + ": " + *reason;
    }
    SettingsFile(CodePage::System(), path).LoadSettings(table);
  } else if (!commandLine.preset) {
    SettingsFile(CodePage::System()).LoadSettings(table);
  }
  return std::nullopt;
}

}  // namespace lettermorph
