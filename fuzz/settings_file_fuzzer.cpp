// settings.ini read and saved at three code pages. The input becomes the file. Every slot read
// must be what the harness's own line splitter and decoders make of the bytes; a save must
// leave nothing but the file, report exactly the slots that its code page cannot hold, and
// write every other slot so that it reads back the same.

#include <stdlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "reference_text.h"
#include "require.h"
#include "settings/settings_file.h"

namespace lettermorph::fuzz {
namespace {

namespace fs = std::filesystem;

using Slots = std::array<std::u16string, kSlotCount>;

// One code page the file is read and saved in, with the harness's own chart of it; UTF-8 has
// none.
struct CodePageCase {
  const char* name;
  std::optional<SingleByteCodePage> chart;
  std::unique_ptr<SettingsFile> file;

  std::u16string ToUtf16(std::string_view bytes) const {
    return chart ? chart->ToUtf16(bytes) : Utf16FromUtf8Reference(bytes);
  }
  // What the code page writes for `text`: "?" for each character it lacks.
  std::string FromUtf16(std::u16string_view text) const {
    return chart ? chart->FromUtf16(text) : EncodeUtf8Reference(text);
  }
  bool CanWrite(std::u16string_view text) const {
    return chart ? std::ranges::all_of(text, [&](char16_t c) { return chart->Has(c); })
                 : SurrogatesPaired(text);
  }
};

// A folder of its own for settings.ini, in TMPDIR, removed when the run ends without a finding.
class Scratch {
 public:
  Scratch() {
    std::string pattern = (fs::temp_directory_path() / "settings-fuzz-XXXXXX").string();
    Require(mkdtemp(pattern.data()) != nullptr, "a scratch folder can be made");
    folder = pattern;
    file = folder / "settings.ini";
    const std::pair<const char*, std::u16string_view> kCodePages[] = {
        {"UTF-8", u""}, {"CP1251", kCp1251High}, {"KOI8-R", kKoi8RHigh}};
    for (const auto& [name, high] : kCodePages) {
      std::unique_ptr<CodePage> codePage = CodePage::Named(name);
      Require(codePage != nullptr, "the system knows UTF-8, CP1251 and KOI8-R");
      std::optional<SingleByteCodePage> chart;
      if (!high.empty()) {
        chart.emplace(high);
      }
      codePages.push_back(
          {name, std::move(chart), std::make_unique<SettingsFile>(std::move(codePage), file)});
    }
  }
  ~Scratch() {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }

  fs::path folder;
  fs::path file;
  std::vector<CodePageCase> codePages;
};

// The lines of a text: each ends at CR LF, a lone CR or a lone LF, and the text after the last
// line end is one more line when it is not empty. Only the first 66 are wanted.
template <typename Unit>
std::vector<std::basic_string<Unit>> FirstLines(std::basic_string_view<Unit> text) {
  std::vector<std::basic_string<Unit>> lines(1);
  for (std::size_t i = 0; i < text.size() && lines.size() <= kSlotCount; ++i) {
    if (text[i] != Unit('\r') && text[i] != Unit('\n')) {
      lines.back() += text[i];
      continue;
    }
    if (text[i] == Unit('\r') && i + 1 < text.size() && text[i + 1] == Unit('\n')) {
      ++i;
    }
    lines.emplace_back();
  }
  if (lines.back().empty()) {
    lines.pop_back();
  }
  lines.resize(std::min<std::size_t>(lines.size(), kSlotCount));
  return lines;
}

// What a load of `bytes` must make of a table that held `slots`. A file that starts with a
// UTF-8 or a UTF-16 little-endian byte order mark is in that encoding, without the mark;
// any other is in the code page.
Slots ExpectedSlots(std::string_view bytes, const CodePageCase& codePage, Slots slots) {
  std::vector<std::u16string> values;
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    for (const std::string& line : FirstLines(bytes.substr(3))) {
      values.push_back(Utf16FromUtf8Reference(line));
    }
  } else if (bytes.starts_with("\xFF\xFE")) {
    std::u16string units;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                     static_cast<unsigned char>(bytes[i + 1]) << 8);
    }
    if (bytes.size() % 2 == 1) {
      units += u'\uFFFD';  // an odd byte at the end
    }
    values = FirstLines<char16_t>(units);
  } else {
    for (const std::string& line : FirstLines(bytes)) {
      values.push_back(codePage.ToUtf16(line));
    }
  }
  std::copy(values.begin(), values.end(), slots.begin());
  return slots;
}

Slots SlotsOf(const ReplacementTable& table) {
  Slots slots;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    slots[slot] = *table.ReplacementAt(slot);
  }
  return slots;
}

// What a save of `slots` must write: each value in the code page followed by CR LF. Where that
// would start with bytes that read as a byte order mark, the values are in UTF-8 after one.
struct SavedFile {
  std::string bytes;
  bool inUtf8 = false;
};
SavedFile ExpectedFile(const Slots& slots, const CodePageCase& codePage) {
  SavedFile file;
  for (const std::u16string& value : slots) {
    file.bytes += codePage.FromUtf16(value) + "\r\n";
  }
  if (file.bytes.starts_with("\xEF\xBB\xBF") || file.bytes.starts_with("\xFF\xFE")) {
    file = {"\xEF\xBB\xBF", true};
    for (const std::u16string& value : slots) {
      file.bytes += EncodeUtf8Reference(value) + "\r\n";
    }
  }
  return file;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool HoldsOnly(const fs::path& folder, const fs::path& file) {
  std::vector<fs::path> entries(fs::directory_iterator(folder), fs::directory_iterator{});
  return entries == std::vector<fs::path>{file};
}

void RequireOfSlot(bool holds, std::string_view what, const CodePageCase& codePage, int slot) {
  if (!holds) {
    std::fprintf(stderr, "%s, slot %d\n", codePage.name, slot);
    Require(false, what);
  }
}

void CheckCodePage(const Scratch& scratch, std::string_view bytes, const CodePageCase& codePage) {
  std::ofstream(scratch.file, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ReplacementTable table;
  const Slots expected = ExpectedSlots(bytes, codePage, SlotsOf(table));
  codePage.file->LoadSettings(table);
  const Slots loaded = SlotsOf(table);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    RequireOfSlot(loaded[slot] == expected[slot], "a slot reads as the reference reads its line",
                  codePage, slot);
  }

  const SaveOutcome outcome = codePage.file->SaveSettings(table);
  if (!outcome.saved()) {
    std::fprintf(stderr, "%s: step %d failed: %s\n", codePage.name,
                 static_cast<int>(outcome.failure->step),
                 outcome.failure->reason.message().c_str());
    Require(false, "a save into a writable folder succeeds");
  }
  Require(HoldsOnly(scratch.folder, scratch.file), "a save leaves nothing but settings.ini");
  const SavedFile saved = ExpectedFile(loaded, codePage);
  Require(ReadFile(scratch.file) == saved.bytes,
          "a save writes every value and a CR LF, in the code page or after a UTF-8 mark");
  ReplacementTable reread;
  codePage.file->LoadSettings(reread);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const bool inexact = std::ranges::count(outcome.inexactSlots, slot) != 0;
    const bool writable =
        saved.inUtf8 ? SurrogatesPaired(loaded[slot]) : codePage.CanWrite(loaded[slot]);
    RequireOfSlot(inexact != writable, "a save reports exactly the slots it could not write",
                  codePage, slot);
    RequireOfSlot(inexact || *reread.ReplacementAt(slot) == loaded[slot],
                  "a slot saved exactly reads back the same", codePage, slot);
  }
}

}  // namespace
}  // namespace lettermorph::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  static const lettermorph::fuzz::Scratch scratch;
  const std::string_view text(reinterpret_cast<const char*>(bytes), size);
  for (const lettermorph::fuzz::CodePageCase& codePage : scratch.codePages) {
    lettermorph::fuzz::CheckCodePage(scratch, text, codePage);
  }
  return 0;
}
