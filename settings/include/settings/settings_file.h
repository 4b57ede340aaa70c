#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "recode/replacement_table.h"
#include "system/atomic_file.h"
#include "system/code_page.h"

namespace lettermorph {

// What a save did: whether the file was replaced, and which slots were written with the code
// page's default character in place of characters it cannot represent.
struct SaveOutcome {
  std::optional<FileFailure> failure;
  std::vector<int> inexactSlots;

  bool saved() const { return !failure; }
};

// settings.ini: the 66 replacements, one per line in slot order, each line ending in CR LF,
// in the system's narrow code page. A relative path is resolved against the current
// directory at each call, as any relative file name is. A file that starts with a UTF-8 or
// UTF-16 (little-endian) byte order mark is read in that encoding instead; a save whose first
// bytes in the code page would look like such a mark is written in UTF-8 after its mark.
class SettingsFile {
 public:
  static constexpr const char* kFileName = "settings.ini";

  // `faults` is for tests: it can make any read of a load, or any step of a save, fail.
  explicit SettingsFile(std::unique_ptr<CodePage> codePage, std::filesystem::path path = kFileName,
                        FaultHook faults = {});

  // Reads the file over the table, one line per slot from slot 0. Lines end at CR LF, a lone
  // CR, or a lone LF, as an editor on any system may leave them; lines past the 66th are not
  // read. Whatever goes wrong, the slots read so far keep their new values, the rest keep
  // theirs, and nothing is reported.
  void LoadSettings(ReplacementTable& table) const noexcept;

  // Replaces the file with all 66 replacements. On failure the previous file is left as it
  // was. The table is never changed.
  SaveOutcome SaveSettings(const ReplacementTable& table) const;

 private:
  std::unique_ptr<CodePage> codePage_;
  std::filesystem::path path_;
  FaultHook faults_;
};

}  // namespace lettermorph
