#pragma once

#include <cstdint>
#include <deque>
#include <exception>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "decode/decoded_word_cache.h"
#include "decode/text_tokenizer.h"
#include "decode/word_decoder.h"

namespace lettermorph {

// Cuts a piece of text into tokens and reads its words on a thread of its own, while the
// caller writes out the piece before it. A word reads the same wherever it stands, so the
// caller is left only what depends on the words around it. The tokenizer, the word cache and
// the word decoder are the caller's, lent to the thread from Start() to Wait(): the caller
// must not touch them in between, and nothing else is shared while both run.
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
  // Waits for the thread; what it read is handed on by the next Pass(). Throws what the
  // thread threw.
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
  // The tokens of a piece with their bytes side by side. Their words lie in the cache, which
  // drops no generation until the batch is handed on: the thread makes room before it starts,
  // and a word it reads once the cache is full lies in `uncached`.
  struct Batch {
    std::string text;
    std::vector<Token> tokens;
    std::deque<DecodedWord> uncached;
    void Clear();
  };
  class Reader final : public TextTokenizer::Receiver {
   public:
    explicit Reader(ReadAhead& ahead) : ahead_(ahead) {}
    void Take(TextTokenizer::Kind kind, std::string_view bytes) override;

   private:
    ReadAhead& ahead_;
  };

  TextTokenizer& tokenizer_;
  DecodedWordCache& cache_;
  const WordDecoder& words_;
  Reader reader_{*this};
  Batch next_;   // the thread's, while it runs
  Batch ready_;  // the caller's
  std::thread thread_;
  std::exception_ptr failure_;
};

}  // namespace lettermorph
