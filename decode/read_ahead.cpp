#include "read_ahead.h"

#include <utility>

namespace lettermorph {
namespace {

// Words of one piece that the cache lacks, at most: a piece of 64 KiB holds fewer.
constexpr std::size_t kFreshWords = 1 << 15;

}  // namespace

ReadAhead::Batch::Batch() : fresh(kFreshWords) {}

ReadAhead::ReadAhead(TextTokenizer& tokenizer, DecodedWordCache& cache, const WordDecoder& words)
    : tokenizer_(tokenizer), cache_(cache), words_(words), threadWords_(words) {}

ReadAhead::~ReadAhead() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
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
  piece_ = piece;
  cutTaken_.store(false);
  cut_.store(false);
  taken_.store(0);
  {
    const std::lock_guard lock(mutex_);
    ++offered_;
    closed_ = false;
  }
  changed_.notify_one();
  if (!thread_.joinable()) {
    thread_ = std::thread([this] { Serve(); });
  }
}

void ReadAhead::Serve() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || offered_ != served_; });
    if (stopping_) {
      return;
    }
    served_ = offered_;
    if (closed_) {
      continue;
    }
    working_ = true;
    lock.unlock();
    std::exception_ptr failure;
    try {
      Work(threadWords_);
    } catch (...) {
      failure = std::current_exception();
    }
    lock.lock();
    working_ = false;
    failure_ = failure_ ? failure_ : failure;
    changed_.notify_all();
  }
}

void ReadAhead::Finish() {
  std::exception_ptr failure;
  try {
    Work(words_);
  } catch (...) {
    failure = std::current_exception();
  }
  const std::exception_ptr threadFailure = Close();
  failure = failure ? failure : threadFailure;
  if (failure) {
    std::rethrow_exception(failure);
  }
  for (std::size_t at = 0; at < next_.fresh.Size(); ++at) {
    cache_.Remember(next_.fresh.TokenAt(at), next_.fresh.HashAt(at), next_.fresh.WordAt(at));
  }
  std::swap(next_, ready_);
}

bool ReadAhead::TakeBack() {
  if (cutTaken_.exchange(true)) {
    return false;
  }
  // Nothing is listed to read: a thread that comes to the piece now leaves it at once.
  cut_.store(true, std::memory_order_release);
  cut_.notify_all();
  Close();
  return true;
}

std::exception_ptr ReadAhead::Close() {
  std::unique_lock lock(mutex_);
  closed_ = true;
  changed_.wait(lock, [this] { return !working_; });
  return std::exchange(failure_, nullptr);
}

void ReadAhead::Work(const WordDecoder& words) {
  if (!cutTaken_.exchange(true)) {
    try {
      Cut(words);
    } catch (...) {
      cut_.store(true, std::memory_order_release);
      cut_.notify_all();
      throw;
    }
    cut_.store(true, std::memory_order_release);
    cut_.notify_all();
  } else {
    cut_.wait(false, std::memory_order_acquire);
  }
  for (std::size_t at = taken_++; at < next_.fresh.Size(); at = taken_++) {
    next_.fresh.WordAt(at) = words.Decode(next_.fresh.TokenAt(at));
  }
}

void ReadAhead::Cut(const WordDecoder& words) {
  cutWords_ = &words;
  tokenizer_.Feed(piece_, reader_);
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
      word = &batch.uncached.emplace_back(ahead_.cutWords_->Decode(bytes));
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
