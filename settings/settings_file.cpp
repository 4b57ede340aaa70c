#include "settings/settings_file.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "line_splitter.h"
#include "system/file_handle.h"
#include "system/utf8_code_page.h"

namespace lettermorph {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleEndianMark = "\xFF\xFE";
constexpr std::size_t kReadSize = 1 << 16;

// Only a regular file is read: a directory, a pipe or a device under the name would block
// start-up or feed it endless bytes.
FileHandle OpenRegularFile(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    return {};
  }
  return FileHandle::OpenForReading(path, error);
}

// The file in pieces, each read asking the fault hook first.
class HookedFileReader {
 public:
  HookedFileReader(FileHandle& file, const FaultHook& faults) : file_(file), faults_(faults) {}

  // The next piece, empty at the end of the file, or nothing when reading failed.
  std::optional<std::string_view> Next() {
    std::error_code error = faults_ ? faults_(FileStep::Read) : std::error_code();
    const std::optional<std::size_t> got = error ? std::nullopt : file_.Read(buffer_, error);
    if (!got) {
      return std::nullopt;
    }
    return std::string_view(buffer_.data(), *got);
  }

 private:
  FileHandle& file_;
  const FaultHook& faults_;
  std::vector<char> buffer_ = std::vector<char>(kReadSize);
};

// Reads until `start` holds at least `wanted` bytes or the file ends; false on a read error.
bool ReadAtLeast(HookedFileReader& reader, std::string& start, std::size_t wanted) {
  while (start.size() < wanted) {
    const std::optional<std::string_view> piece = reader.Next();
    if (!piece) {
      return false;
    }
    if (piece->empty()) {
      break;
    }
    start.append(*piece);
  }
  return true;
}

// Feeds `start`, then the rest of the file, to `feed`; false on a read error. Stops early
// when `feed` returns false.
template <typename Feed>
bool ReadRest(HookedFileReader& reader, std::string_view start, Feed feed) {
  if (!feed(start)) {
    return true;
  }
  for (;;) {
    const std::optional<std::string_view> piece = reader.Next();
    if (!piece) {
      return false;
    }
    if (piece->empty() || !feed(*piece)) {
      return true;
    }
  }
}

using LineStore = std::function<bool(std::u16string)>;

// The lines of a file in a narrow encoding. A half-read last line, after a read error, is not
// a value.
void ReadNarrowLines(HookedFileReader& reader, std::string_view start, std::size_t expected,
                     const CodePage& codePage, const LineStore& store) {
  LineSplitter<char> lines([&](std::string_view line) { return store(codePage.ToUtf16(line)); },
                           expected);
  if (ReadRest(reader, start, [&](std::string_view bytes) { return lines.Feed(bytes); })) {
    lines.Finish();
  }
}

// The lines of a file in UTF-16, little-endian: its units pass into the table as they are.
void ReadUtf16Lines(HookedFileReader& reader, std::string_view start, std::size_t expected,
                    const LineStore& store) {
  LineSplitter<char16_t> lines(
      [&](std::u16string_view line) { return store(std::u16string(line)); }, expected);
  std::u16string units;
  int heldByte = -1;  // the first byte of a unit split between two reads
  const auto feed = [&](std::string_view bytes) {
    units.clear();
    for (char byte : bytes) {
      const auto value = static_cast<unsigned char>(byte);
      if (heldByte < 0) {
        heldByte = value;
      } else {
        units += static_cast<char16_t>(heldByte | (value << 8));
        heldByte = -1;
      }
    }
    return lines.Feed(units);
  };
  if (ReadRest(reader, start, feed)) {
    if (heldByte >= 0) {
      lines.Feed(u"\uFFFD");  // an odd byte at the very end
    }
    lines.Finish();
  }
}

// Appends the 66 replacements, each followed by CR LF; returns the slots that `codePage` could
// not write exactly.
std::vector<int> AppendLines(const ReplacementTable& table, const CodePage& codePage,
                             std::string& bytes) {
  std::vector<int> inexactSlots;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (!codePage.FromUtf16(*table.ReplacementAt(slot), bytes)) {
      inexactSlots.push_back(slot);
    }
    bytes += "\r\n";
  }
  return inexactSlots;
}

}  // namespace

SettingsFile::SettingsFile(std::unique_ptr<CodePage> codePage, std::filesystem::path path,
                           FaultHook faults)
    : codePage_(std::move(codePage)), path_(std::move(path)), faults_(std::move(faults)) {}

void SettingsFile::LoadSettings(ReplacementTable& table) const noexcept {
  try {
    FileHandle file = OpenRegularFile(path_);
    HookedFileReader reader(file, faults_);
    std::string start;
    if (!file.IsOpen() || !ReadAtLeast(reader, start, kUtf8Mark.size())) {
      return;
    }
    // One buffer the size of the file holds any line without regrowing, so even a file that
    // is one enormous line needs only its own size again for the decoded text.
    std::error_code sizeError;
    const auto size = static_cast<std::size_t>(std::filesystem::file_size(path_, sizeError));
    const std::size_t expected = sizeError ? 0 : size;

    int slot = 0;
    const auto store = [&table, &slot](std::u16string value) {
      (void)table.SetReplacement(slot++, std::move(value));
      return slot < kSlotCount;
    };

    // A file that starts with a byte order mark says which encoding it is in: a Windows
    // editor may save one so. Without a mark the file is in the narrow code page.
    const std::string_view head = start;
    if (head.starts_with(kUtf16LittleEndianMark)) {
      ReadUtf16Lines(reader, head.substr(kUtf16LittleEndianMark.size()), expected / 2, store);
    } else if (head.starts_with(kUtf8Mark)) {
      ReadNarrowLines(reader, head.substr(kUtf8Mark.size()), expected, Utf8CodePage(), store);
    } else {
      ReadNarrowLines(reader, head, expected, *codePage_, store);
    }
  } catch (const std::exception&) {
    // Out of memory on an enormous line: what was read so far stays applied.
  }
}

SaveOutcome SettingsFile::SaveSettings(const ReplacementTable& table) const {
  SaveOutcome outcome;
  std::string bytes;
  outcome.inexactSlots = AppendLines(table, *codePage_, bytes);
  // A first replacement whose bytes happen to be a byte order mark, such as "яю" (FF FE) in
  // Windows-1251, would make the whole file read back in another encoding. Such a file is
  // written in UTF-8 after a mark instead, which reads back as it was.
  if (bytes.starts_with(kUtf8Mark) || bytes.starts_with(kUtf16LittleEndianMark)) {
    bytes = kUtf8Mark;
    outcome.inexactSlots = AppendLines(table, Utf8CodePage(), bytes);
  }
  outcome.failure = ReplaceFileContents(path_, bytes, faults_);
  return outcome;
}

}  // namespace lettermorph
