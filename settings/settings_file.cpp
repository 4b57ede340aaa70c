#include "settings/settings_file.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "system/file_handle.h"

namespace lettermorph {
namespace {

// Only a regular file is read: a directory, a pipe or a device under the name would block
// start-up or feed it endless bytes.
FileHandle OpenRegularFile(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    return {};
  }
  return FileHandle::OpenForReading(path, error);
}

}  // namespace

SettingsFile::SettingsFile(std::unique_ptr<CodePage> codePage, std::filesystem::path path)
    : codePage_(std::move(codePage)), path_(std::move(path)) {}

void SettingsFile::LoadSettings(ReplacementTable& table) const noexcept {
  try {
    FileHandle file = OpenRegularFile(path_);
    if (!file.IsOpen()) {
      return;
    }
    // One buffer the size of the file holds any line without regrowing, so even a file that
    // is one enormous line needs only its own size again for the decoded text.
    std::error_code sizeError;
    const auto size = std::filesystem::file_size(path_, sizeError);
    std::string line;
    line.reserve(sizeError ? 0 : static_cast<std::size_t>(size));

    int slot = 0;
    bool afterCr = false;
    std::vector<char> buffer(1 << 16);
    while (slot < kSlotCount) {
      std::error_code error;
      const std::optional<std::size_t> got = file.Read(buffer, error);
      if (!got) {
        return;  // a half-read last line is not a value
      }
      if (*got == 0) {
        break;
      }
      std::string_view rest(buffer.data(), *got);
      while (!rest.empty() && slot < kSlotCount) {
        if (afterCr && rest.front() == '\n') {
          rest.remove_prefix(1);
        }
        afterCr = false;
        const auto stop =
            std::find_if(rest.begin(), rest.end(), [](char c) { return c == '\r' || c == '\n'; });
        const auto end = static_cast<std::size_t>(stop - rest.begin());
        line.append(rest.substr(0, end));
        if (stop == rest.end()) {
          break;
        }
        afterCr = rest[end] == '\r';
        rest.remove_prefix(end + 1);
        (void)table.SetReplacement(slot++, codePage_->Decode(line));
        line.clear();
      }
    }
    if (!line.empty() && slot < kSlotCount) {
      (void)table.SetReplacement(slot, codePage_->Decode(line));
    }
  } catch (const std::exception&) {
    // Out of memory on an enormous line: what was read so far stays applied.
  }
}

SaveOutcome SettingsFile::SaveSettings(const ReplacementTable& table) const {
  SaveOutcome outcome;
  std::string bytes;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (!codePage_->Encode(*table.ReplacementAt(slot), bytes)) {
      outcome.inexactSlots.push_back(slot);
    }
    bytes += "\r\n";
  }
  outcome.failure = ReplaceFileContents(path_, bytes);
  return outcome;
}

}  // namespace lettermorph
