#include "engine/utf8_stream_recoder.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "engine/slot_letters.h"
#include "engine/utf8.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define LETTERMORPH_SSE2 1
#endif

namespace lettermorph {
namespace {

static_assert(std::ranges::all_of(kSlotLetters, [](char16_t c) { return c >= 0x400 && c < 0x480; }),
              "every letter must be a two-byte sequence D0 xx or D1 xx");

// The fast path works on blocks of 64 bytes, one bit per byte. It reads 16 bytes past the
// block, and writes at most this much per block: the 64 bytes between letters, 32 letters of
// up to seven bytes each, and the overhang of the fixed-size copies.
constexpr std::ptrdiff_t kBlock = 64;
constexpr std::ptrdiff_t kBlockInput = kBlock + 16;
constexpr std::size_t kBlockOutput = kBlock + 32 * 7 + 16;

// Output is written to the sink in pieces of about this size.
constexpr std::size_t kBufferSize = 256 * 1024;
constexpr std::size_t kSlack = 512;
static_assert(kSlack >= kBlockOutput);

bool IsLead(unsigned char byte) {
  return (byte & 0xFE) == 0xD0;
}

bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// Sets bit i where p[i], p[i + 1] is D0 or D1 followed by a continuation byte, for i in
// 0..63, and stores the pair index of every p[i], p[i + 1] in index[i]. Reads p[0..64].
std::uint64_t FindPairs(const unsigned char* p, unsigned char* index) {
#ifdef LETTERMORPH_SSE2
  const __m128i leadMask = _mm_set1_epi8(static_cast<char>(0xFE));
  const __m128i lead = _mm_set1_epi8(static_cast<char>(0xD0));
  const __m128i continuationMask = _mm_set1_epi8(static_cast<char>(0xC0));
  const __m128i continuation = _mm_set1_epi8(static_cast<char>(0x80));
  const __m128i lowBit = _mm_set1_epi8(1);
  const __m128i lowSix = _mm_set1_epi8(0x3F);
  std::uint64_t starts = 0;
  for (int i = 0; i < kBlock; i += 16) {
    const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
    const __m128i isLead = _mm_cmpeq_epi8(_mm_and_si128(here, leadMask), lead);
    const __m128i isContinuation =
        _mm_cmpeq_epi8(_mm_and_si128(next, continuationMask), continuation);
    const auto bits =
        static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_and_si128(isLead, isContinuation)));
    starts |= static_cast<std::uint64_t>(bits) << i;
    // Bit 0 of the lead moves to bit 6; a 16-bit shift keeps it inside its byte.
    const __m128i pair =
        _mm_or_si128(_mm_slli_epi16(_mm_and_si128(here, lowBit), 6), _mm_and_si128(next, lowSix));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(index + i), pair);
  }
  return starts;
#else
  std::uint64_t starts = 0;
  for (int i = 0; i < kBlock; ++i) {
    starts |= static_cast<std::uint64_t>(IsLead(p[i]) && IsContinuation(p[i + 1])) << i;
    index[i] = static_cast<unsigned char>(((p[i] & 1u) << 6) | (p[i + 1] & 0x3Fu));
  }
  return starts;
#endif
}

}  // namespace

Utf8StreamRecoder::Utf8StreamRecoder(const ReplacementTable& table)
    : buffer_(new char[kBufferSize + kSlack]), out_(buffer_.get()) {
  // Two-byte sequences that are no letter are written back as they came.
  for (unsigned index = 0; index < pieces_.size(); ++index) {
    pieces_[index].bytes[0] = static_cast<char>(0xD0 | (index >> 6));
    pieces_[index].bytes[1] = static_cast<char>(0x80 | (index & 0x3F));
    pieces_[index].length = 2;
  }
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const unsigned index = *table.LetterAt(slot) - 0x400u;
    std::string bytes;
    AppendUtf8(*table.ReplacementAt(slot), bytes);
    Piece& piece = pieces_[index];
    if (bytes.size() <= sizeof piece.bytes) {
      std::memcpy(piece.bytes, bytes.data(), bytes.size());
      piece.length = static_cast<std::uint8_t>(bytes.size());
    } else {
      piece.length = kLong;
      anyLong_ = true;
      long_[index] = std::move(bytes);
    }
  }
}

bool Utf8StreamRecoder::Recode(std::string_view input, ByteSink& sink) {
  sink_ = &sink;
  const char* in = input.data();
  const char* const end = in + input.size();
  if (heldLead_ >= 0 && in != end) {
    const auto lead = static_cast<unsigned char>(heldLead_);
    heldLead_ = -1;
    if (IsContinuation(static_cast<unsigned char>(*in))) {
      EmitPair(PairIndex(lead, static_cast<unsigned char>(*in++)));
    } else {
      EmitByte(static_cast<char>(lead));
    }
  }
  in = anyLong_ ? RecodeBlocks<true>(in, end) : RecodeBlocks<false>(in, end);
  RecodeTail(in, end);
  Flush();
  return !failed_;
}

bool Utf8StreamRecoder::Finish(ByteSink& sink) {
  sink_ = &sink;
  if (heldLead_ >= 0) {
    EmitByte(static_cast<char>(heldLead_));
    heldLead_ = -1;
  }
  Flush();
  return !failed_;
}

// The hot loop. Text is copied in fixed-size pieces between the pairs a block holds, and each
// pair is written as its eight-byte Piece; both copies are longer than needed, and the output
// pointer advances only by the real length. The check for long replacements is compiled out
// for tables that have none.
template <bool kMayBeLong>
const char* Utf8StreamRecoder::RecodeBlocks(const char* in, const char* end) {
  const char* const flushAt = buffer_.get() + kBufferSize;
  char* dst = out_;
  unsigned char index[kBlock];
  while (end - in >= kBlockInput) {
    if (dst >= flushAt) {
      out_ = dst;
      Flush();
      dst = out_;
    }
    std::uint64_t starts = FindPairs(reinterpret_cast<const unsigned char*>(in), index);
    std::ptrdiff_t pos = 0;
    while (starts != 0) {
      const std::ptrdiff_t at = std::countr_zero(starts);
      std::memcpy(dst, in + pos, 16);
      if (at - pos > 16) [[unlikely]] {
        std::memcpy(dst, in + pos, at - pos);
      }
      dst += at - pos;
      const Piece piece = pieces_[index[at]];
      if (kMayBeLong && piece.length == kLong) [[unlikely]] {
        out_ = dst;
        EmitLong(index[at]);
        dst = out_;
      } else {
        std::memcpy(dst, &piece, sizeof piece);
        dst += piece.length;
      }
      pos = at + 2;
      starts &= starts - 1;
    }
    if (pos < kBlock) {
      std::memcpy(dst, in + pos, kBlock - pos);
      dst += kBlock - pos;
      pos = kBlock;
    }
    in += pos;  // past a pair that ended one byte into the next block
  }
  out_ = dst;
  return in;
}

// The same recoding a byte at a time, for the end of a piece, where the fast path would read
// past it. A lead byte in the last place is held back.
void Utf8StreamRecoder::RecodeTail(const char* in, const char* end) {
  while (in != end) {
    const auto byte = static_cast<unsigned char>(*in);
    if (IsLead(byte)) {
      if (in + 1 == end) {
        heldLead_ = byte;
        return;
      }
      const auto next = static_cast<unsigned char>(in[1]);
      if (IsContinuation(next)) {
        EmitPair(PairIndex(byte, next));
        in += 2;
        continue;
      }
    }
    EmitByte(*in++);
  }
}

void Utf8StreamRecoder::EmitPair(unsigned index) {
  const Piece& piece = pieces_[index];
  if (piece.length == kLong) {
    EmitLong(index);
    return;
  }
  Reserve(sizeof piece);
  std::memcpy(out_, &piece, sizeof piece);
  out_ += piece.length;
}

// A replacement too long for a Piece. It leaves at least kSlack bytes free in the buffer, as
// the block in progress may need them.
void Utf8StreamRecoder::EmitLong(unsigned index) {
  const std::string& text = long_[index];
  if (text.size() <= kBufferSize / 2) {
    Reserve(text.size() + kSlack);
    std::memcpy(out_, text.data(), text.size());
    out_ += text.size();
    return;
  }
  Flush();
  if (!failed_ && !sink_->Write(text)) {
    failed_ = true;
  }
}

void Utf8StreamRecoder::EmitByte(char byte) {
  Reserve(1);
  *out_++ = byte;
}

void Utf8StreamRecoder::Reserve(std::size_t bytes) {
  if (static_cast<std::size_t>(buffer_.get() + kBufferSize + kSlack - out_) < bytes) {
    Flush();
  }
}

// After a failure the output is dropped, so the recoding can run to the end of the piece
// without checks in the hot loop.
void Utf8StreamRecoder::Flush() {
  const auto size = static_cast<std::size_t>(out_ - buffer_.get());
  out_ = buffer_.get();
  if (size != 0 && !failed_ && !sink_->Write(std::string_view(buffer_.get(), size))) {
    failed_ = true;
  }
}

}  // namespace lettermorph
