#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "decode/text_tokenizer.h"
#include "decode/word_decoder.h"
#include "decode/word_index.h"
#include "recode/replacement_table.h"

namespace lettermorph {

// Decodes the words of the text ahead on a thread of its own, so that the stream decoder,
// which must read the text in order, finds the words it has not met yet decoded already. A
// word's decoding depends on the word alone, so which thread decodes it changes nothing in
// the output, and a word the thread missed is decoded as before.
class WordReadAhead {
 public:
  struct Word {
    std::uint64_t hash = 0;  // as DecodedWordTable::Hash() gives it
    std::string token;
    DecodedWord decoded;
  };

  // Keeps a pointer to `index`, as WordDecoder does. The thread starts with the first pieces.
  WordReadAhead(const ReplacementTable& table, const WordIndex* index);
  ~WordReadAhead();
  WordReadAhead(const WordReadAhead&) = delete;
  WordReadAhead& operator=(const WordReadAhead&) = delete;

  // Reads `pieces` in order, or returns false when the system has no thread to spare. The
  // first may start inside a word that the decoder has begun, and is read from a clean
  // start: a word cut at its beginning is decoded in vain. The pieces must stay valid until
  // Stop() has returned.
  [[nodiscard]] bool Start(const std::vector<std::string_view>& pieces);
  // Tells that the decoder is about to decode pieces[piece], and returns the words first met
  // in the pieces read since the last call, piece by piece. It waits for that piece if it is
  // being read, which takes less time than decoding it again, but not for one that was not
  // begun: the thread is behind, and the decoder decodes the piece's words itself while the
  // thread skips to the pieces after the next one, which it has the time of a whole piece to
  // read. Once memory ran out on the thread, the pieces give no words, and are left to the
  // decoder.
  std::deque<std::vector<Word>> Reach(std::size_t piece);
  // Drops the pieces not yet read and waits for the one being read.
  void Stop();

 private:
  class Collector;

  void Run();
  void Read(std::string_view piece, bool restart, std::vector<Word>& words);
  bool Seen(std::uint64_t hash);

  WordDecoder decoder_;
  std::vector<std::uint32_t> seen_;  // the words decoded, open addressing, as Seen() keeps them
  std::size_t seenCount_ = 0;
  TextTokenizer tokenizer_;

  std::mutex mutex_;
  std::condition_variable changed_;
  struct Piece {
    std::string_view bytes;
    std::size_t index;  // in what Start() was given
  };
  static constexpr std::size_t kNone = -1;
  std::deque<Piece> pieces_;            // waiting to be read
  std::deque<std::vector<Word>> read_;  // read, waiting for Reach()
  std::size_t decoderAt_ = 0;           // pieces before this one the decoder has begun
  std::size_t readingPiece_ = kNone;    // out of pieces_ and not yet in read_
  std::size_t lastRead_ = kNone;        // read last; the tokenizer goes on from its end
  bool stopping_ = false;
  bool failed_ = false;  // memory ran out on the thread
  std::thread thread_;
};

}  // namespace lettermorph
