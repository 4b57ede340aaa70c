#include "cli/hunspell_dictionary.h"

#include <hunspell.hxx>

#include <algorithm>
#include <span>
#include <string>

#include "cli/dictionary_file.h"
#include "system/file_handle.h"

namespace lettermorph {
namespace {

bool Readable(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    return false;
  }
  FileHandle::OpenForReading(path, error);
  return !error;
}

// Enough of the start of a .dic file to hold many words.
constexpr std::size_t kListedWordsRead = 64 * 1024;

bool IsRussian(std::u16string_view word) {
  return std::any_of(word.begin(), word.end(),
                     [](char16_t c) { return c >= u'\u0400' && c <= u'\u04FF'; });
}

}  // namespace

std::unique_ptr<HunspellDictionary> HunspellDictionary::Open(const std::filesystem::path& base) {
  std::filesystem::path affix = base, words = base;
  affix += ".aff";
  words += ".dic";
  // Hunspell itself takes a missing file for an empty dictionary.
  if (!Readable(affix) || !Readable(words)) {
    return nullptr;
  }
  auto hunspell = std::make_unique<Hunspell>(affix.string().c_str(), words.string().c_str());
  auto encoding = CodePage::Named(hunspell->get_dict_encoding());
  if (!encoding) {
    return nullptr;
  }
  return std::unique_ptr<HunspellDictionary>(
      new HunspellDictionary(std::move(hunspell), std::move(encoding)));
}

OpenedDictionary OpenDictionary(const std::filesystem::path& base) {
  std::unique_ptr<HunspellDictionary> dictionary = HunspellDictionary::Open(base);
  std::filesystem::path words = base;
  words += ".dic";
  if (dictionary && !dictionary->KnowsARussianWordOf(words)) {
    return {nullptr, true};
  }
  return {std::move(dictionary), false};
}

HunspellDictionary::HunspellDictionary(std::unique_ptr<Hunspell> hunspell,
                                       std::unique_ptr<CodePage> encoding)
    : hunspell_(std::move(hunspell)), encoding_(std::move(encoding)) {}

HunspellDictionary::~HunspellDictionary() = default;

bool HunspellDictionary::KnowsARussianWordOf(const std::filesystem::path& words) const {
  std::error_code error;
  FileHandle file = FileHandle::OpenForReading(words, error);
  std::string start(kListedWordsRead, '\0');
  std::size_t filled = 0;
  while (!error && filled < start.size()) {
    const auto got =
        file.Read(std::span<char>(start.data() + filled, start.size() - filled), error);
    if (!got || *got == 0) {
      break;
    }
    filled += *got;
  }
  start.resize(filled);
  // The first line gives the number of words, each line after it a word, then its flags after
  // a slash or other fields after white space.
  std::string_view lines = start;
  for (std::size_t end = lines.find('\n'); end != lines.npos; end = lines.find('\n')) {
    lines.remove_prefix(end + 1);
    const std::string_view line = lines.substr(0, lines.find('\n'));
    const std::u16string word = encoding_->ToUtf16(line.substr(0, line.find_first_of("/\t \r")));
    if (IsRussian(word) && Knows(word)) {
      return true;
    }
  }
  return false;
}

bool HunspellDictionary::Knows(std::u16string_view word) const {
  std::string bytes;
  return encoding_->FromUtf16(word, bytes) && hunspell_->spell(bytes);
}

}  // namespace lettermorph
