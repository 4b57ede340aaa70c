#include "stream/utf8_stream_recoder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>

#include "recode/slot_letters.h"
#include "text/utf8.h"
#include "utf8_recoder_paths.h"

namespace lettermorph {
namespace {

using utf8_recoding::IsContinuation;
using utf8_recoding::IsLead;
using utf8_recoding::kBlock;
using utf8_recoding::PairBytes;
using utf8_recoding::PairIndex;

static_assert(std::ranges::all_of(kSlotLetters, [](char16_t c) { return c >= 0x400 && c < 0x480; }),
              "every letter must be a two-byte sequence D0 xx or D1 xx");

// The block loop reads 16 bytes past a block, and writes at most this much per block: the 64
// bytes between letters, 32 letters of up to seven bytes each, and the overhang of the
// fixed-size copies.
constexpr std::ptrdiff_t kBlockInput = kBlock + 16;
constexpr std::size_t kBlockOutput = kBlock + 32 * 7 + 16;

// Output is written to the sink in pieces of about this size.
constexpr std::size_t kBufferSize = 256 * 1024;
constexpr std::size_t kSlack = 512;
static_assert(kSlack >= kBlockOutput && kSlack >= utf8_recoding::kBlockOverrun);

// A run without letters at least this long is written to the sink straight from the input,
// as one write costs less than copying it.
constexpr std::size_t kDirectRun = 16 * 1024;

}  // namespace

Utf8StreamRecoder::Utf8StreamRecoder(const ReplacementTable& table)
    : Utf8StreamRecoder(table, SupportedPaths().back()) {}

Utf8StreamRecoder::Utf8StreamRecoder(const ReplacementTable& table, Path path)
    : path_(path),
      functions_(&FunctionsFor(path)),
      pairBytes_(std::make_unique<PairBytes>()),
      buffer_(new char[kBufferSize + kSlack]),
      out_(buffer_.get()) {
  const std::vector<Path> supported = SupportedPaths();
  if (std::ranges::find(supported, path) == supported.end()) {
    throw std::invalid_argument("this processor cannot run the recoder's " +
                                std::string(PathName(path)) + " path");
  }
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
  PairBytes& pairs = *pairBytes_;
  pairs.anyTooLong = false;
  pairs.lookedUp = 2;  // every two-byte sequence that is no letter
  for (unsigned index = 0; index < pieces_.size(); ++index) {
    const Piece& piece = pieces_[index];
    const std::string_view bytes = piece.length == kLong
                                       ? std::string_view(long_[index])
                                       : std::string_view(piece.bytes, piece.length);
    for (std::size_t at = 0; at < PairBytes::kFastLength; ++at) {
      pairs.bytes[at][index] =
          at < bytes.size() ? static_cast<unsigned char>(bytes[at]) : PairBytes::kNone;
    }
    const bool tooLong = bytes.size() > PairBytes::kFastLength;
    pairs.tooLong[index] = tooLong ? PairBytes::kNone : 0;
    pairs.anyTooLong |= tooLong;
    pairs.lookedUp = std::max(pairs.lookedUp, std::min(bytes.size(), PairBytes::kFastLength));
  }
}

Utf8StreamRecoder::~Utf8StreamRecoder() = default;

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
  in = RecodeBlocks(in, end);
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

// The hot loop. The path's block lookup, where it has one, takes blocks as long as it can;
// a block it leaves is either free of letters, and starts a run that is copied whole, or is
// recoded here one letter at a time.
const char* Utf8StreamRecoder::RecodeBlocks(const char* in, const char* end) {
  const char* const flushAt = buffer_.get() + kBufferSize;
  unsigned char index[kBlock];
  while (end - in >= kBlockInput) {
    if (out_ >= flushAt) {
      Flush();
    }
    if (functions_->recodeBlocks != nullptr) {
      const utf8_recoding::BlockProgress progress =
          functions_->recodeBlocks(*pairBytes_, in, end, out_, flushAt);
      in = progress.in;
      out_ = progress.out;
      if (end - in < kBlockInput || out_ >= flushAt) {
        continue;
      }
    }
    const std::uint64_t starts =
        functions_->findPairs(reinterpret_cast<const unsigned char*>(in), index);
    if (starts == 0) {
      in = CopyRun(in, functions_->findLead(in + kBlock, end));
    } else {
      in = anyLong_ ? RecodeBlock<true>(in, starts, index) : RecodeBlock<false>(in, starts, index);
    }
  }
  return in;
}

// One block, the pairs given by `starts` and `index`. Text is copied in fixed-size pieces
// between the pairs, and each pair is written as its eight-byte Piece; both copies are longer
// than needed, and the output pointer advances only by the real length. The check for long
// replacements is compiled out for tables that have none.
template <bool kMayBeLong>
const char* Utf8StreamRecoder::RecodeBlock(const char* in, std::uint64_t starts,
                                           const unsigned char* index) {
  char* dst = out_;
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
  out_ = dst;
  return in + pos;  // past a pair that ended one byte into the next block
}

// Copies text without letters: short runs into the buffer, long ones straight to the sink.
const char* Utf8StreamRecoder::CopyRun(const char* from, const char* to) {
  const auto size = static_cast<std::size_t>(to - from);
  if (size >= kDirectRun) {
    Flush();
    if (!failed_ && !sink_->Write(std::string_view(from, size))) {
      failed_ = true;
    }
  } else {
    Reserve(size);
    std::memcpy(out_, from, size);
    out_ += size;
  }
  return to;
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
