#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "recode/replacement_table.h"
#include "text/byte_sink.h"

namespace lettermorph {

namespace utf8_recoding {
struct PairBytes;
struct PathFunctions;
}  // namespace utf8_recoding

// Recodes UTF-8 text that arrives in pieces of any size, in constant memory, by the rule that
// RecodeText applies to UTF-16 (recode/recode_text.h), with the same result. Every table
// letter becomes its replacement in UTF-8; every other byte, malformed sequences included, is
// copied as it is. A letter split between two pieces is recoded as if it had arrived whole.
//
// All 66 letters lie in U+0400..U+047F, whose UTF-8 form is a lead byte D0 or D1 followed by
// one continuation byte, so a letter is recognised from two bytes alone: neither D0 nor D1 can
// be part of another sequence.
class Utf8StreamRecoder {
 public:
  // The instruction sets the recoder can be built on. Every path gives the same bytes; they
  // differ only in speed.
  enum class Path { kScalar, kSse2, kAvx2, kAvx512 };

  // The paths this processor and system can run, slowest first. The last one is the default.
  static std::vector<Path> SupportedPaths();
  static std::string_view PathName(Path path);

  // Takes a copy of the table's replacements; later changes to the table are not seen. Runs
  // on the fastest supported path.
  explicit Utf8StreamRecoder(const ReplacementTable& table);
  // Runs on `path`, which must be one of SupportedPaths(); throws std::invalid_argument
  // otherwise, so that a request for a missing instruction set cannot crash.
  Utf8StreamRecoder(const ReplacementTable& table, Path path);
  ~Utf8StreamRecoder();
  Utf8StreamRecoder(const Utf8StreamRecoder&) = delete;
  Utf8StreamRecoder& operator=(const Utf8StreamRecoder&) = delete;

  Path ActivePath() const { return path_; }

  // Recodes the next piece of the input and writes everything it can to `sink`. A lead byte
  // at the very end is held back until the next piece shows what follows it. False once the
  // sink has failed; nothing more is written after that.
  bool Recode(std::string_view input, ByteSink& sink);

  // Ends the input: writes a held-back lead byte, which nothing completed, as it is.
  bool Finish(ByteSink& sink);

 private:
  // What the two bytes of one index become. Short replacements are copied as all eight bytes
  // at once, and the bytes past `length` are overwritten by what follows.
  struct Piece {
    char bytes[7];
    std::uint8_t length;
  };
  static constexpr std::uint8_t kLong = 0xFF;  // the replacement is in long_ instead

  static const utf8_recoding::PathFunctions& FunctionsFor(Path path);

  const char* RecodeBlocks(const char* in, const char* end);
  template <bool kMayBeLong>
  const char* RecodeBlock(const char* in, std::uint64_t starts, const unsigned char* index);
  const char* CopyRun(const char* from, const char* to);
  void RecodeTail(const char* in, const char* end);
  void EmitPair(unsigned index);
  void EmitLong(unsigned index);
  void EmitByte(char byte);
  void Reserve(std::size_t bytes);
  void Flush();

  Path path_;
  const utf8_recoding::PathFunctions* functions_;
  std::array<Piece, 128> pieces_{};
  std::array<std::string, 128> long_;
  bool anyLong_ = false;
  std::unique_ptr<utf8_recoding::PairBytes> pairBytes_;  // for paths with a block lookup

  std::unique_ptr<char[]> buffer_;
  char* out_;  // the next free byte of buffer_
  ByteSink* sink_ = nullptr;
  bool failed_ = false;
  int heldLead_ = -1;  // a D0 or D1 that ended the previous piece
};

}  // namespace lettermorph
