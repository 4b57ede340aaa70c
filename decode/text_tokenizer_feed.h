#pragma once

// The tokenizer's reading of a piece, which calls the receiver's Take for each token. It is
// a template on the receiver, included where the receiver is known, so that the receiver's
// Take is called directly and, made part of the loop, finds the token's kind already known.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "byte_masks.h"
#include "decode/text_tokenizer.h"

namespace lettermorph {
// How the tokenizer reads characters and bit masks, here and in the rest of its code.
namespace tokenizer_bytes {

inline constexpr char32_t kInvalid = 0xFFFD;

inline bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// Length of the character that starts `text`, and its code point: 0 when the text ends
// inside it, 1 with kInvalid for a byte that starts no character.
inline std::size_t CharacterAt(std::string_view text, char32_t& code) {
  const auto lead = static_cast<unsigned char>(text[0]);
  std::size_t length;
  if (lead < 0x80) {
    code = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07;
  } else {
    code = kInvalid;
    return 1;
  }
  for (std::size_t i = 1; i < length; ++i) {
    if (i == text.size()) {
      return 0;
    }
    const auto byte = static_cast<unsigned char>(text[i]);
    if (!IsContinuation(byte)) {
      code = kInvalid;
      return 1;
    }
    code = (code << 6) | (byte & 0x3F);
  }
  return length;
}

inline bool IsSpace(char32_t code) {
  return code == ' ' || (code >= '\t' && code <= '\r') || code == 0xA0 ||
         (code >= 0x2000 && code <= 0x200A) || code == 0x2028 || code == 0x2029 || code == 0x202F ||
         code == 0x205F || code == 0x3000;
}

// The bits below bit `count`, of 0 to 64.
inline std::uint64_t Below(int count) {
  return count >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << count) - 1;
}

// Where the spaces (or chunk) that ends just before bit `at` begins: past the last bit of
// `other` below `at`.
inline int StartBefore(std::uint64_t other, int at) {
  const std::uint64_t below = other & Below(at);
  return below == 0 ? 0 : 64 - std::countl_zero(below);
}

}  // namespace tokenizer_bytes

inline std::uint8_t TextTokenizer::ClassOf(char32_t code) const {
  if (code < 0x80) {
    return ascii_[code];
  }
  if (code < 0x800) {
    return twoBytes_[code - 0x80];
  }
  return ClassBeyondAscii(code);
}

template <std::derived_from<TextTokenizer::Receiver> R>
void TextTokenizer::Feed(std::string_view piece, R& receiver) {
  using namespace tokenizer_bytes;
  // A character cut off by the last piece is completed from this one first.
  while (!partial_.empty()) {
    char32_t code = 0;
    while (!piece.empty() && CharacterAt(partial_, code) == 0) {
      partial_ += piece.front();
      piece.remove_prefix(1);
    }
    if (CharacterAt(partial_, code) == 0) {
      return;
    }
    const std::string whole = std::move(partial_);
    partial_.clear();
    Feed(whole, receiver);
  }
  std::size_t at = 0;
  while (at < piece.size()) {
    char32_t code = 0;
    const std::size_t spacesFrom = at;
    bool cut = false;
    while (at < piece.size()) {
      if (static_cast<unsigned char>(piece[at]) < 0x80) {
        if (ascii_[static_cast<unsigned char>(piece[at])] != kSpace) {
          break;
        }
        ++at;
        continue;
      }
      const std::size_t length = CharacterAt(piece.substr(at), code);
      if (length == 0) {
        cut = true;
        break;
      }
      if (ClassOf(code) != kSpace) {
        break;
      }
      at += length;
    }
    if (at > spacesFrom) {
      if (!chunk_.empty() || long_ != Long::No) {
        if (!chunk_.empty()) {
          long_ == Long::Split ? Split(chunk_, receiver, true) : TakeChunk(chunk_, receiver);
        }
        chunk_.clear();
        long_ = Long::No;
        longWord_ = false;
      }
      receiver.Take(Kind::Space, piece.substr(spacesFrom, at - spacesFrom));
    }
    // Most chunks end in the piece they start in: they are cut into runs as they are read,
    // and handed on unless they turn out to be an address. Short ones are read from masks of
    // 64 bytes at a time, the others byte by byte.
    if (!cut && chunk_.empty() && long_ == Long::No) {
      if (piece.size() - at >= 64) {
        bool stuck = false;
        at = TakeShortChunks(piece, at, receiver, stuck);
        if (!stuck) {
          continue;
        }
      }
      bool marked = false;
      const std::size_t length = ScanRuns(piece.substr(at), false, marked);
      if (length != std::string_view::npos) {
        const std::string_view chunk = piece.substr(at, length);
        if (marked && LooksVerbatim(chunk)) {
          receiver.Take(Kind::Verbatim, chunk);
        } else {
          for (std::size_t i = 0; i < runs_.size(); ++i) {
            TakeScanned(chunk, i, receiver);
          }
        }
        at += length;
        continue;
      }
    }
    const std::size_t chunkFrom = at;
    while (!cut && at < piece.size()) {
      if (static_cast<unsigned char>(piece[at]) < 0x80) {
        if (ascii_[static_cast<unsigned char>(piece[at])] == kSpace) {
          break;
        }
        ++at;
        continue;
      }
      const std::size_t length = CharacterAt(piece.substr(at), code);
      if (length == 0) {
        cut = true;
      } else if (IsSpace(code)) {
        break;
      } else {
        at += length;
      }
    }
    const std::string_view chunk = piece.substr(chunkFrom, at - chunkFrom);
    const bool ended = at < piece.size() && !cut;
    if (long_ == Long::Verbatim) {
      if (!chunk.empty()) {
        receiver.Take(Kind::Verbatim, chunk);
      }
    } else if (ended && chunk_.empty() && long_ == Long::No) {
      if (!chunk.empty()) {
        TakeChunk(chunk, receiver);
      }
    } else {
      chunk_ += chunk;
      if (chunk_.size() > kMaxChunk) {
        TakeLongChunk(receiver);
      }
    }
    if (cut) {
      partial_ = piece.substr(at);
      return;
    }
  }
}

// Hands on the spaces and runs of `bits` from bit `from` to bit `to`, both where one begins.
// Made part of TakeShortChunks, it keeps the masks in registers over the tokens of 64 bytes.
template <class R>
[[gnu::always_inline]] inline void TextTokenizer::TakeTokens(const TokenBits& bits, int from,
                                                             int to, R& receiver) {
  using namespace tokenizer_bytes;
  if (from == to) {
    return;
  }
  std::size_t at = static_cast<std::size_t>(from);
  // The start of each token after the first, and `to`, where the last one ends.
  for (std::uint64_t starts = (bits.starts & Below(to) & ~Below(from + 1)) | std::uint64_t{1} << to;
       starts != 0; starts &= starts - 1) {
    const auto next = static_cast<std::size_t>(std::countr_zero(starts));
    const std::string_view token(bits.text + at, next - at);
    if (bits.spaces >> at & 1) {
      receiver.Take(Kind::Space, token);
    } else if (!(bits.words >> at & 1)) {
      receiver.Take(Kind::Punctuation, token);
    } else if (!(bits.closer >> next & 1)) {
      // A run of letters and digits that replacements use, as most words are, is a plain word.
      receiver.Take(Kind::Word, token);
    } else if (bits.numbers >> next & 1) {
      receiver.Take(Kind::Number, token);
    } else {
      TakeRun(token, receiver, DigitsLeavePlain(token, bits.digits >> at));
    }
    at = next;
  }
}

// Chunks that end within 64 bytes, and hold no space beyond ASCII, are nearly all of
// look-alike text: they, and the spaces between them, are handed on straight from the masks of
// 64 bytes at a time, from `at` on while the piece holds 64. Returns where it
// stopped: at spaces that may go on past the bytes read (or into a character such as U+00A0),
// at the piece's last 64 bytes, or at a chunk that ScanRuns must read, which `stuck` tells.
template <class R>
std::size_t TextTokenizer::TakeShortChunks(std::string_view piece, std::size_t at, R& receiver,
                                           bool& stuck) {
  using namespace tokenizer_bytes;
  stuck = false;
  while (piece.size() - at >= 64) {
    const char* text = piece.data() + at;
    const ByteMasks masks = masksOf64_(text);
    const std::uint64_t cyrillic = masks.Cyrillic();
    const std::uint64_t spaces = masks.spaces;
    // The last chunk or spaces may go on past the 64 bytes: what comes before them is whole,
    // and ends before the last of the 64.
    int end = 64 - (spaces >> 63 ? std::countl_one(spaces) : std::countl_zero(spaces));
    // Other characters beyond ASCII are read one by one: punctuation such as « and —, letters
    // such as é, and bytes that are not UTF-8 go on in the masks. A space such as U+00A0 or a
    // character cut off by the end of the 64 bytes stops them.
    std::uint64_t letters = masks.letters | cyrillic;
    std::uint64_t others = masks.beyond & ~cyrillic;
    while (others != 0) {
      const int first = std::countr_zero(others);
      char32_t code = 0;
      const std::size_t length =
          CharacterAt(std::string_view(text + first, static_cast<std::size_t>(64 - first)), code);
      const std::uint8_t type =
          length == 0 ? std::uint8_t{kSpace} : ClassOf(length == 1 ? kInvalid : code);
      if (type == kSpace) {
        break;
      }
      const std::uint64_t bytes = Below(static_cast<int>(length)) << first;
      letters |= type & kWord ? bytes : 0;
      others &= ~bytes;
    }
    // The chunk that holds such a character is read by ScanRuns, and spaces just before one
    // may go on with it.
    bool slow = false;
    others &= Below(end + 1);
    if (others != 0) {
      const int first = std::countr_zero(others);
      const int chunk = StartBefore(spaces, first);
      slow = chunk < first;
      end = slow ? chunk : StartBefore(~spaces, chunk);
    }
    if (end == 0) {
      // The text opens with a chunk that goes on past the 64 bytes or needs the slow way, or
      // with spaces that may go on.
      stuck = slow || !(spaces & 1);
      return at;
    }
    // The other bytes are digits, ASCII punctuation, or characters of replacements that join
    // words.
    std::uint64_t kinds[kApart + 1] = {};
    for (std::uint64_t each = Below(end) & ~(spaces | letters); each != 0; each &= each - 1) {
      const int i = std::countr_zero(each);
      kinds[others_[static_cast<unsigned char>(text[i])]] |= std::uint64_t{1} << i;
    }
    const std::uint64_t joining =
        kinds[kJoins] | kinds[kJoins | kDot] | kinds[kJoins | kColon] | kinds[kJoins | kSlash];
    const std::uint64_t words = letters | masks.digits | joining;
    // Characters of replacements at a run's start (end) that cannot start (end) a word.
    const std::uint64_t runStarts = words & ~(words << 1);
    const std::uint64_t runEnds = words & ~(words >> 1);
    std::uint64_t edges = 0;
    for (std::uint64_t each = joining & (runStarts | runEnds); each != 0; each &= each - 1) {
      const int i = std::countr_zero(each);
      const std::uint8_t type = ascii_[static_cast<unsigned char>(text[i])];
      const bool cannot =
          (runStarts >> i & 1 && !(type & kStarts)) || (runEnds >> i & 1 && !(type & kEnds));
      edges |= cannot ? std::uint64_t{1} << i : 0;
    }
    // Whether each run of words holds such bytes, set just past it: with those bytes and all
    // but words set, taking away the runs' first bits borrows through each run up to the first
    // of them, or up to the byte past the run, which the borrow clears, when it holds none.
    const auto holds = [words, runStarts](std::uint64_t bytes) {
      return (bytes | ~words) - runStarts;
    };
    const std::uint64_t numbers = ~holds(words & ~masks.digits);
    const TokenBits bits{text,
                         spaces,
                         words,
                         masks.digits,
                         (spaces ^ spaces << 1) | (words ^ words << 1),
                         holds(kinds[kApart] | edges) | numbers,
                         numbers};
    // The chunks that may look like an address: with "://", opening with "www.", or with a dot
    // between a letter and two more.
    const std::uint64_t dots = kinds[kDot] | kinds[kJoins | kDot];
    const std::uint64_t colons = kinds[kColon] | kinds[kJoins | kColon];
    const std::uint64_t slashes = kinds[kSlash] | kinds[kJoins | kSlash];
    const std::uint64_t ascii = masks.letters;
    const std::uint64_t starts = ~spaces & (spaces << 1 | 1);
    std::uint64_t marked = (colons & slashes >> 1) | (dots & starts << 3) |
                           (dots & ascii << 1 & ascii >> 1 & ascii >> 2);
    int from = 0;
    while (marked != 0) {
      const int mark = std::countr_zero(marked);
      const int chunkFrom = StartBefore(spaces, mark);
      const int chunkTo = mark + std::countr_zero(spaces >> mark);
      marked &= ~Below(chunkTo);
      const std::string_view chunk(text + chunkFrom, static_cast<std::size_t>(chunkTo - chunkFrom));
      if (LooksVerbatim(chunk)) {
        TakeTokens(bits, from, chunkFrom, receiver);
        receiver.Take(Kind::Verbatim, chunk);
        from = chunkTo;
      }
    }
    TakeTokens(bits, from, end, receiver);
    at += static_cast<std::size_t>(end);
    if (slow) {
      stuck = true;
      return at;
    }
  }
  return at;
}

}  // namespace lettermorph
