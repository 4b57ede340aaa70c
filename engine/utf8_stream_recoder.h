#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/byte_sink.h"
#include "engine/replacement_table.h"

namespace lettermorph {

// Recodes UTF-8 text that arrives in pieces of any size, in constant memory. Every table
// letter becomes its replacement in UTF-8; every other byte, malformed sequences included, is
// copied as it is. A letter split between two pieces is recoded as if it had arrived whole.
//
// All 66 letters lie in U+0400..U+047F, whose UTF-8 form is a lead byte D0 or D1 followed by
// one continuation byte, so a letter is recognised from two bytes alone: neither D0 nor D1 can
// be part of another sequence.
class Utf8StreamRecoder {
 public:
  // Takes a copy of the table's replacements; later changes to the table are not seen.
  explicit Utf8StreamRecoder(const ReplacementTable& table);

  // Recodes the next piece of the input and writes everything it can to `sink`. A lead byte
  // at the very end is held back until the next piece shows what follows it. False once the
  // sink has failed; nothing more is written after that.
  bool Recode(std::string_view input, ByteSink& sink);

  // Ends the input: writes a held-back lead byte, which nothing completed, as it is.
  bool Finish(ByteSink& sink);

 private:
  // A two-byte sequence D0 xx or D1 xx as an index 0..127: the code point minus U+0400.
  static unsigned PairIndex(unsigned char lead, unsigned char continuation) {
    return ((lead & 1u) << 6) | (continuation & 0x3Fu);
  }

  // What the two bytes of one index become. Short replacements are copied as all eight bytes
  // at once, and the bytes past `length` are overwritten by what follows.
  struct Piece {
    char bytes[7];
    std::uint8_t length;
  };
  static constexpr std::uint8_t kLong = 0xFF;  // the replacement is in long_ instead

  template <bool kMayBeLong>
  const char* RecodeBlocks(const char* in, const char* end);
  void RecodeTail(const char* in, const char* end);
  void EmitPair(unsigned index);
  void EmitLong(unsigned index);
  void EmitByte(char byte);
  void Reserve(std::size_t bytes);
  void Flush();

  std::array<Piece, 128> pieces_{};
  std::array<std::string, 128> long_;
  bool anyLong_ = false;

  std::unique_ptr<char[]> buffer_;
  char* out_;  // the next free byte of buffer_
  ByteSink* sink_ = nullptr;
  bool failed_ = false;
  int heldLead_ = -1;  // a D0 or D1 that ended the previous piece
};

}  // namespace lettermorph
