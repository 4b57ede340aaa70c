#include "read_ahead.h"

#include <utility>

namespace lettermorph {
namespace {

// Words of one piece that the cache lacks, at most: a piece of 64 KiB holds fewer.
constexpr std::size_t kFreshWords = 1 << 15;

}  // namespace

ReadAhead::Batch::Batch() : fresh(kFreshWords) {}

ReadAhead::ReadAhead(TextTokenizer& tokenizer, DecodedWordCache& cache, const WordDecoder& words)
    : tokenizer_(tokenizer), cache_(cache), words_(words), helperWords_(words) {}

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
  listed_.store(false);
  taken_.store(0);
  thread_ = std::thread([this, piece] { Run(piece); });
}

void ReadAhead::Run(std::string_view piece) {
  try {
    tokenizer_.Feed(piece, reader_);
  } catch (...) {
    failure_ = std::current_exception();
  }
  listed_.store(true, std::memory_order_release);
  listed_.notify_one();
  try {
    ReadFresh(words_);
  } catch (...) {
    failure_ = failure_ ? failure_ : std::current_exception();
  }
}

void ReadAhead::Help() {
  listed_.wait(false, std::memory_order_acquire);
  ReadFresh(helperWords_);
}

void ReadAhead::ReadFresh(const WordDecoder& words) {
  for (std::size_t at = taken_++; at < next_.fresh.Size(); at = taken_++) {
    next_.fresh.WordAt(at) = words.Decode(next_.fresh.TokenAt(at));
  }
}

void ReadAhead::Wait() {
  thread_.join();
  if (failure_) {
    std::rethrow_exception(std::exchange(failure_, nullptr));
  }
  for (std::size_t at = 0; at < next_.fresh.Size(); ++at) {
    cache_.Remember(next_.fresh.TokenAt(at), next_.fresh.HashAt(at), next_.fresh.WordAt(at));
  }
  std::swap(next_, ready_);
}

void ReadAhead::Reader::Take(TextTokenizer::Kind kind, std::string_view bytes) {
  Batch& batch = ahead_.next_;
  batch.text += bytes;
  const DecodedWord* word = nullptr;
  if (kind == TextTokenizer::Kind::Word) {
    const std::uint64_t hash = DecodedWordTable::Hash(bytes);
    word = ahead_.cache_.Find(bytes, hash);
    word = word ? word : batch.fresh.Find(bytes, hash);
    if (!word && !batch.fresh.Full()) {
      // Read once the piece is cut, by either thread.
      word = &batch.fresh.Insert(bytes, hash, DecodedWord());
    } else if (!word) {
      word = &batch.uncached.emplace_back(ahead_.words_.Decode(bytes));
    }
  }
  batch.tokens.push_back({kind, static_cast<std::uint32_t>(batch.text.size()), word});
}

void ReadAhead::Batch::Clear() {
  text.clear();
  tokens.clear();
  fresh.Clear();
  uncached.clear();
}

}  // namespace lettermorph
