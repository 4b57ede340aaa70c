#include "read_ahead.h"

#include <utility>

namespace lettermorph {

ReadAhead::ReadAhead(TextTokenizer& tokenizer, DecodedWordCache& cache, const WordDecoder& words)
    : tokenizer_(tokenizer), cache_(cache), words_(words) {}

ReadAhead::~ReadAhead() {
  if (thread_.joinable()) {
    thread_.join();
  }
}

bool ReadAhead::Worthwhile() {
  return std::thread::hardware_concurrency() > 1;
}

void ReadAhead::Start(std::string_view piece) {
  next_.Clear();
  cache_.MakeRoom();
  thread_ = std::thread([this, piece] {
    try {
      tokenizer_.Feed(piece, reader_);
    } catch (...) {
      failure_ = std::current_exception();
    }
  });
}

void ReadAhead::Wait() {
  thread_.join();
  if (failure_) {
    std::rethrow_exception(std::exchange(failure_, nullptr));
  }
  std::swap(next_, ready_);
}

void ReadAhead::Reader::Take(TextTokenizer::Kind kind, std::string_view bytes) {
  Batch& batch = ahead_.next_;
  batch.text += bytes;
  const DecodedWord* word = nullptr;
  if (kind == TextTokenizer::Kind::Word && !ahead_.cache_.Full()) {
    word = &ahead_.cache_.Decode(bytes, ahead_.words_);
  } else if (kind == TextTokenizer::Kind::Word) {
    word = &batch.uncached.emplace_back(ahead_.words_.Decode(bytes));
  }
  batch.tokens.push_back({kind, static_cast<std::uint32_t>(batch.text.size()), word});
}

void ReadAhead::Batch::Clear() {
  text.clear();
  tokens.clear();
  uncached.clear();
}

}  // namespace lettermorph
