#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "decode/decoded_word_cache.h"
#include "decode/text_tokenizer.h"
#include "decode/word_decoder.h"
#include "decode/word_index.h"
#include "recode/replacement_table.h"
#include "text/byte_sink.h"

namespace lettermorph {

// Turns look-alike UTF-8 text, arriving in pieces of any size, back into Russian in bounded
// memory. Words that read as Russian are written in Russian, with their case chosen from the
// look-alikes, the start of the sentence and the dictionary; everything else (English words,
// numbers, addresses, punctuation, spaces, line ends, malformed bytes) is copied as it is.
//
// A word that may as well be English ("no", "cup") follows its nearest neighbours that are
// not: it stays as it is between English words and is decoded next to Russian ones.
class Utf8StreamDecoder {
 public:
  // Keeps a pointer to `index`, which may be null and must have been built for `table`, and a
  // copy of the table.
  Utf8StreamDecoder(const ReplacementTable& table, const WordIndex* index);

  // Decodes the next piece and writes what it can to `sink`; the end of a word and the words
  // whose neighbours are not yet known are held back. False once the sink has failed.
  bool Decode(std::string_view input, ByteSink& sink);

  // Ends the text: writes everything held back. What follows is a new text, which starts
  // with a sentence; the decoded words are remembered.
  bool Finish(ByteSink& sink);

 private:
  // The nearest word before a run of English-shaped words that is not one itself.
  enum class Neighbour { None, Foreign, Russian };

  class Stage final : public TextTokenizer::Receiver {
   public:
    explicit Stage(Utf8StreamDecoder& decoder) : decoder_(decoder) {}
    void Take(TextTokenizer::Kind kind, std::string_view bytes) override;

   private:
    Utf8StreamDecoder& decoder_;
  };

  // A piece of text after the first English-shaped word whose fate is still open.
  struct Held {
    std::string original;
    std::string decoded;  // empty unless an English-shaped word that read as Russian
  };

  void TakeWord(std::string_view token);
  void TakeOther(TextTokenizer::Kind kind, std::string_view bytes);
  void Hold(std::string_view original, std::string_view decoded);
  void Settle(Neighbour after);
  void StartSentence();
  void Write(std::string_view bytes);
  bool Flush();

  WordDecoder words_;
  DecodedWordCache cache_;
  TextTokenizer tokenizer_;
  Stage stage_{*this};

  bool sentenceStart_ = true;
  bool afterColon_ = false;
  int lineBreaks_ = 0;  // since the last text that was not space
  Neighbour before_ = Neighbour::None;
  std::vector<Held> held_;
  std::size_t heldBytes_ = 0;

  std::string out_;
  ByteSink* sink_ = nullptr;
  bool failed_ = false;
};

}  // namespace lettermorph
