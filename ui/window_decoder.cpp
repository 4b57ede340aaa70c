#include "ui/window_decoder.h"

#include "decode/decode_text.h"

namespace lettermorph {

WindowDecoder::WindowDecoder(ReplacementTable& table, WordSources sources)
    : table_(table),
      sources_(std::move(sources)),
      tableChanges_(table.Subscribe([this](int) { lexicon_.reset(); })) {}

std::u16string WindowDecoder::Decode(std::u16string_view text) {
  if (lexicon_ == nullptr) {
    lexicon_ = Lexicon::Load(table_, sources_.dictionary, sources_.cacheFolder);
    noticeDue_ = lexicon_->DictionaryState() != Lexicon::Dictionary::Used && !noticeGiven_;
  }
  return DecodeText(text, table_, &lexicon_->Index());
}

bool WindowDecoder::TakeReducedAccuracyNotice() {
  const bool due = noticeDue_;
  noticeGiven_ = noticeGiven_ || due;
  noticeDue_ = false;
  return due;
}

}  // namespace lettermorph
