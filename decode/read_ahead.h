#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "decode/decoded_word_cache.h"
#include "decode/decoded_word_table.h"
#include "decode/text_tokenizer.h"
#include "decode/word_decoder.h"

namespace lettermorph {

// Cuts a piece of text into tokens and reads its words on a thread of its own, while the
// caller writes out the piece before it. A word reads the same wherever it stands, so the
// caller is left only what depends on the words around it; once it has written its piece, it
// helps read the words that the cache lacks, or does the whole piece itself when the thread
// has not started on it, as on a machine whose other core is busy. The tokenizer and the word
// cache are the caller's, lent from Start() to Finish() to whichever thread cuts the piece;
// the words to read are taken from a list by a counter.
class ReadAhead {
 public:
  // `words` is the caller's decoder; the thread gets a copy of its own.
  ReadAhead(TextTokenizer& tokenizer, DecodedWordCache& cache, const WordDecoder& words);
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // Whether the machine has a core to spare for the thread.
  static bool Worthwhile();

  // Offers `piece`, which must stay valid until Finish() or TakeBack(), to the thread.
  void Start(std::string_view piece);
  // Takes the piece back when the thread has not started on it, as when the other core is
  // busy: the caller then reads it itself, as on one thread, and true is returned. Else
  // Finish() is due.
  bool TakeBack();
  // Reads the piece alongside the thread, or alone if it has not started, and waits for the
  // thread to leave it; the words read join the cache, and the tokens are handed on by the
  // next Pass(). Throws what either thread threw.
  void Finish();

  // Hands the tokens read before the last Start() to `take(kind, bytes, word)`, in order,
  // `word` pointing at what a word reads as and null for any other token, and forgets them.
  // False when there were none.
  template <typename Take>
  bool Pass(Take&& take) {
    std::uint32_t at = 0;
    for (const Token& token : ready_.tokens) {
      take(token.kind, std::string_view(ready_.text).substr(at, token.end - at), token.word);
      at = token.end;
    }
    const bool passed = !ready_.tokens.empty();
    ready_.Clear();
    return passed;
  }

 private:
  struct Token {
    TextTokenizer::Kind kind;
    std::uint32_t end;  // in the batch's text, where the token before ends
    const DecodedWord* word;
  };
  // The tokens of a piece with their bytes side by side. A word lies in the cache, which
  // drops no generation until the batch is handed on, as room is made only before a piece
  // starts; or, if the cache lacks it, in `fresh`, once each, read after the piece is cut; or,
  // when `fresh` is full as well, in `uncached`.
  struct Batch {
    std::string text;
    std::vector<Token> tokens;
    DecodedWordTable fresh;
    std::deque<DecodedWord> uncached;
    Batch();
    void Clear();
  };
  class Reader final : public TextTokenizer::Receiver {
   public:
    explicit Reader(ReadAhead& ahead) : ahead_(ahead) {}
    void Take(TextTokenizer::Kind kind, std::string_view bytes) override;

   private:
    ReadAhead& ahead_;
  };

  void Serve();
  // Waits for the thread to leave the piece, and says what it threw.
  std::exception_ptr Close();
  // Does what is left of the piece with `words`: cutting it if no thread has, then reading
  // words of `fresh` that no thread has taken.
  void Work(const WordDecoder& words);
  void Cut(const WordDecoder& words);

  TextTokenizer& tokenizer_;
  DecodedWordCache& cache_;
  const WordDecoder& words_;
  WordDecoder threadWords_;                // a decoder keeps buffers while it reads
  const WordDecoder* cutWords_ = nullptr;  // the decoder of the thread that cuts the piece
  Reader reader_{*this};
  Batch next_;   // the piece's, while either thread works on it
  Batch ready_;  // the caller's
  std::string_view piece_;

  std::atomic<bool> cutTaken_{false};
  std::atomic<bool> cut_{false};       // next_ holds every token and word of the piece
  std::atomic<std::size_t> taken_{0};  // words of next_.fresh that a thread has taken

  // The thread's turn: a new piece is offered, the thread works on it, or the caller closed it.
  std::mutex mutex_;
  std::condition_variable changed_;
  std::uint64_t offered_ = 0;  // pieces offered so far
  std::uint64_t served_ = 0;   // the last piece the thread looked at
  bool working_ = false;
  bool closed_ = true;
  bool stopping_ = false;
  std::exception_ptr failure_;
  std::thread thread_;
};

}  // namespace lettermorph
