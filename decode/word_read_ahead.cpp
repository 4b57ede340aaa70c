#include "word_read_ahead.h"

#include <new>
#include <system_error>

#include "decode/decoded_word_table.h"
#include "text_tokenizer_feed.h"

namespace lettermorph {
namespace {

// As many words as one generation of the decoder's cache holds: past that the cache has
// begun to forget, and so does this thread.
constexpr std::size_t kSeenWords = 1 << 15;

}  // namespace

class WordReadAhead::Collector final : public TextTokenizer::Receiver {
 public:
  Collector(WordReadAhead& owner, std::vector<Word>& words) : owner_(owner), words_(words) {}

  void Take(TextTokenizer::Kind kind, std::string_view bytes) override {
    if (kind != TextTokenizer::Kind::Word) {
      return;
    }
    const std::uint64_t hash = DecodedWordTable::Hash(bytes);
    if (owner_.Seen(hash)) {
      return;
    }
    Word& word = words_.emplace_back();
    word.hash = hash;
    word.token = bytes;
    owner_.decoder_.Decode(bytes, word.decoded);
  }

 private:
  WordReadAhead& owner_;
  std::vector<Word>& words_;
};

WordReadAhead::WordReadAhead(const ReplacementTable& table, const WordIndex* index)
    : decoder_(table, index), tokenizer_(decoder_.Replacements()) {}

WordReadAhead::~WordReadAhead() {
  if (!thread_.joinable()) {
    return;
  }
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
    pieces_.clear();
  }
  changed_.notify_all();
  thread_.join();
}

bool WordReadAhead::Start(const std::vector<std::string_view>& pieces) {
  if (!thread_.joinable()) {
    try {
      thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
      return false;
    }
  }
  {
    const std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
      pieces_.push_back({pieces[i], i});
    }
    decoderAt_ = 0;
    lastRead_ = kNone;
  }
  changed_.notify_all();
  return true;
}

std::deque<std::vector<WordReadAhead::Word>> WordReadAhead::Reach(std::size_t piece) {
  std::unique_lock lock(mutex_);
  decoderAt_ = piece + 1;
  changed_.wait(lock, [this, piece] { return readingPiece_ != piece; });
  std::deque<std::vector<Word>> read;
  read.swap(read_);
  return read;
}

void WordReadAhead::Stop() {
  std::unique_lock lock(mutex_);
  pieces_.clear();
  changed_.wait(lock, [this] { return readingPiece_ == kNone; });
  read_.clear();
}

void WordReadAhead::Run() {
  // Made here, not by the decoder, which has the text to decode meanwhile.
  try {
    seen_.assign(2 * kSeenWords, 0);
  } catch (const std::bad_alloc&) {
    failed_ = true;
  }
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || !pieces_.empty(); });
    if (stopping_) {
      return;
    }
    const Piece piece = pieces_.front();
    pieces_.pop_front();
    // A piece the decoder has reached is left to it, and so is the one it is to reach next:
    // begun now, that one would seldom be read before the decoder came to it and waited.
    if (piece.index <= decoderAt_) {
      continue;
    }
    const bool restart = lastRead_ == kNone || piece.index != lastRead_ + 1;
    lastRead_ = piece.index;
    readingPiece_ = piece.index;
    lock.unlock();
    std::vector<Word> words;
    if (!failed_) {
      try {
        Read(piece.bytes, restart, words);
      } catch (const std::bad_alloc&) {
        words = {};
        failed_ = true;
      }
    }
    lock.lock();
    readingPiece_ = kNone;
    read_.push_back(std::move(words));
    changed_.notify_all();
  }
}

void WordReadAhead::Read(std::string_view piece, bool restart, std::vector<Word>& words) {
  if (restart) {
    tokenizer_ = TextTokenizer(decoder_.Replacements());
  }
  Collector collector(*this, words);
  tokenizer_.Feed(piece, collector);
}

bool WordReadAhead::Seen(std::uint64_t hash) {
  if (seenCount_ == kSeenWords) {
    std::fill(seen_.begin(), seen_.end(), 0);
    seenCount_ = 0;
  }
  // A slot holds the top half of the hash, whose bottom half chose it, with its last bit set,
  // so that zero marks a free slot: half the pages to write that whole hashes would take. A
  // word taken for another whose slot and top half it shares (about one in a billion) is left
  // to the decoder, which decodes it itself.
  const std::uint32_t held = static_cast<std::uint32_t>(hash >> 32) | 1;
  const std::size_t mask = seen_.size() - 1;
  for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    if (seen_[slot] == held) {
      return true;
    }
    if (seen_[slot] == 0) {
      seen_[slot] = held;
      ++seenCount_;
      return false;
    }
  }
}

}  // namespace lettermorph
