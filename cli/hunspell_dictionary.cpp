#include "cli/hunspell_dictionary.h"

#include <hunspell.hxx>

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

std::unique_ptr<Dictionary> OpenDictionary(const std::filesystem::path& base) {
  return HunspellDictionary::Open(base);
}

HunspellDictionary::HunspellDictionary(std::unique_ptr<Hunspell> hunspell,
                                       std::unique_ptr<CodePage> encoding)
    : hunspell_(std::move(hunspell)), encoding_(std::move(encoding)) {}

HunspellDictionary::~HunspellDictionary() = default;

bool HunspellDictionary::Knows(std::u16string_view word) const {
  std::string bytes;
  return encoding_->Encode(word, bytes) && hunspell_->spell(bytes);
}

}  // namespace lettermorph
