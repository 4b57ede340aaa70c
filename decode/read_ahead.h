#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <exception>
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
// helps read the words that the cache lacks. The tokenizer and the word cache are the
// caller's, lent to the thread from Start() to Wait(): the caller must not touch them in
// between, and nothing else is shared while both run but the list of words to read, which
// each takes from by a counter.
class ReadAhead {
 public:
  ReadAhead(TextTokenizer& tokenizer, DecodedWordCache& cache, const WordDecoder& words);
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // Whether the machine has a core to spare for the thread.
  static bool Worthwhile();

  // Starts reading `piece`, which must stay valid until Wait(), on the thread.
  void Start(std::string_view piece);
  // Reads words of the piece alongside the thread once it has listed them.
  void Help();
  // Waits for the thread and keeps the words read in the cache; what the thread read is
  // handed on by the next Pass(). Throws what the thread threw.
  void Wait();

  // Hands the tokens read before the last Start() to `take(kind, bytes, word)`, in order,
  // `word` pointing at what a word reads as and null for any other token, and forgets them.
  template <typename Take>
  void Pass(Take&& take) {
    std::uint32_t at = 0;
    for (const Token& token : ready_.tokens) {
      take(token.kind, std::string_view(ready_.text).substr(at, token.end - at), token.word);
      at = token.end;
    }
    ready_.Clear();
  }

 private:
  struct Token {
    TextTokenizer::Kind kind;
    std::uint32_t end;  // in the batch's text, where the token before ends
    const DecodedWord* word;
  };
  // The tokens of a piece with their bytes side by side. A word lies in the cache, which
  // drops no generation until the batch is handed on, as the thread makes room only before it
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

  void Run(std::string_view piece);
  // Reads the words of `fresh` that no thread has taken yet, with `words`.
  void ReadFresh(const WordDecoder& words);

  TextTokenizer& tokenizer_;
  DecodedWordCache& cache_;
  const WordDecoder& words_;
  WordDecoder helperWords_;  // the caller's own, as a decoder keeps buffers while it reads
  Reader reader_{*this};
  Batch next_;                         // the thread's, while it runs
  Batch ready_;                        // the caller's
  std::atomic<bool> listed_{false};    // next_ holds every word of its piece
  std::atomic<std::size_t> taken_{0};  // words of next_.fresh that a thread has taken
  std::thread thread_;
  std::exception_ptr failure_;
};

}  // namespace lettermorph
