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
  // The words first met in the pieces read since the last call, piece by piece. It does not
  // wait for the piece being read: the decoder goes on with its own work instead, and decodes
  // that piece's words itself where it gets there first. Once memory ran out on the thread,
  // the pieces give no words, and are left to the decoder.
  std::deque<std::vector<Word>> TakeRead();
  // Drops the pieces not yet read and waits for the one being read.
  void Stop();

 private:
  class Collector;

  void Run();
  void Read(std::string_view piece, bool restart, std::vector<Word>& words);
  bool Seen(std::uint64_t hash);

  WordDecoder decoder_;
  std::vector<std::uint64_t> seen_;  // hashes of the words decoded, open addressing
  std::size_t seenCount_ = 0;
  TextTokenizer tokenizer_;

  std::mutex mutex_;
  std::condition_variable changed_;
  struct Piece {
    std::string_view bytes;
    bool restart;  // the first of those Start() was given
  };
  std::deque<Piece> pieces_;            // waiting to be read
  std::deque<std::vector<Word>> read_;  // read, waiting for TakeRead()
  bool reading_ = false;                // a piece is out of pieces_ and not yet in read_
  bool stopping_ = false;
  bool failed_ = false;  // memory ran out on the thread
  std::thread thread_;
};

}  // namespace lettermorph
