#include "decode/utf8_stream_decoder.h"

#include <algorithm>

namespace lettermorph {
namespace {

// Output goes to the sink in pieces of about this size.
constexpr std::size_t kFlushSize = 64 * 1024;
// An undecided run of English-shaped words is settled, as if the text ended, when it grows
// past either bound.
constexpr std::size_t kMaxHeldBytes = 4096;
constexpr std::size_t kMaxHeldPieces = 64;

bool EndsSentence(std::string_view punctuation) {
  return punctuation.find_first_of(".!?") != punctuation.npos ||
         punctuation.find("\u2026") != punctuation.npos;
}

bool OpensQuote(std::string_view punctuation) {
  return punctuation.find_first_of("\"'") != punctuation.npos ||
         punctuation.find("\u00AB") != punctuation.npos ||
         punctuation.find("\u201E") != punctuation.npos ||
         punctuation.find("\u201C") != punctuation.npos;
}

bool HasAsciiLetter(std::string_view bytes) {
  return std::any_of(bytes.begin(), bytes.end(),
                     [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); });
}

}  // namespace

Utf8StreamDecoder::Utf8StreamDecoder(const ReplacementTable& table, const WordIndex* index)
    : words_(table, index), tokenizer_(words_.WordCharacters()) {}

bool Utf8StreamDecoder::Decode(std::string_view input, ByteSink& sink) {
  sink_ = &sink;
  tokenizer_.Feed(input, stage_);
  return Flush();
}

bool Utf8StreamDecoder::Finish(ByteSink& sink) {
  sink_ = &sink;
  tokenizer_.Finish(stage_);
  Settle(Neighbour::None);
  sentenceStart_ = true;
  afterColon_ = false;
  lineBreaks_ = 0;
  before_ = Neighbour::None;
  return Flush();
}

void Utf8StreamDecoder::Stage::Take(TextTokenizer::Kind kind, std::string_view bytes) {
  if (kind == TextTokenizer::Kind::Word) {
    decoder_.TakeWord(bytes);
  } else {
    decoder_.TakeOther(kind, bytes);
  }
}

void Utf8StreamDecoder::TakeWord(std::string_view token) {
  const DecodedWord& word = cache_.Decode(token, words_);
  const std::string& decoded = sentenceStart_ ? word.capitalised : word.plain;
  lineBreaks_ = 0;
  sentenceStart_ = false;
  afterColon_ = false;
  switch (word.kind) {
    case DecodedWord::Kind::Number:
      Hold(token, {});
      return;
    case DecodedWord::Kind::Foreign:
      Settle(Neighbour::Foreign);
      before_ = Neighbour::Foreign;
      Write(token);
      return;
    case DecodedWord::Kind::Russian:
      if (!word.mayBeEnglish) {
        Settle(Neighbour::Russian);
        before_ = Neighbour::Russian;
        Write(decoded);
      } else if (before_ == Neighbour::Russian) {
        Write(decoded);
      } else {
        Hold(token, decoded);
      }
      return;
  }
}

void Utf8StreamDecoder::TakeOther(TextTokenizer::Kind kind, std::string_view bytes) {
  switch (kind) {
    case TextTokenizer::Kind::Space:
      lineBreaks_ += static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n'));
      // A blank line starts a paragraph, and with it a sentence.
      if (lineBreaks_ >= 2) {
        StartSentence();
      }
      break;
    case TextTokenizer::Kind::Punctuation:
      lineBreaks_ = 0;
      // Quoted speech after a colon starts with a capital: «Он сказал: «Чья это?»».
      if (EndsSentence(bytes) || (afterColon_ && OpensQuote(bytes))) {
        StartSentence();
      }
      afterColon_ = bytes.ends_with(':');
      break;
    case TextTokenizer::Kind::Verbatim:
      lineBreaks_ = 0;
      if (HasAsciiLetter(bytes)) {
        Settle(Neighbour::Foreign);
        before_ = Neighbour::Foreign;
      }
      if (EndsSentence(bytes.substr(bytes.size() - 1))) {
        StartSentence();
      }
      break;
    case TextTokenizer::Kind::Word:
      break;
  }
  Hold(bytes, {});
}

// The words of one sentence are one language's: a run of English-shaped words at its end is
// settled by what came before, and the next sentence starts without neighbours.
void Utf8StreamDecoder::StartSentence() {
  if (!sentenceStart_) {
    Settle(Neighbour::None);
  }
  sentenceStart_ = true;
  before_ = Neighbour::None;
}

// Text after an undecided word waits with it; otherwise it goes straight out.
void Utf8StreamDecoder::Hold(std::string_view original, std::string_view decoded) {
  if (held_.empty() && decoded.empty()) {
    Write(original);
    return;
  }
  held_.push_back({std::string(original), std::string(decoded)});
  heldBytes_ += original.size() + decoded.size();
  if (heldBytes_ > kMaxHeldBytes || held_.size() > kMaxHeldPieces) {
    Settle(Neighbour::None);
  }
}

// The run of English-shaped words is decoded unless an English or other foreign word stands
// on one side of it and no Russian word on the other.
void Utf8StreamDecoder::Settle(Neighbour after) {
  const bool russian = before_ == Neighbour::Russian || after == Neighbour::Russian ||
                       (before_ == Neighbour::None && after == Neighbour::None);
  for (const Held& piece : held_) {
    Write(russian && !piece.decoded.empty() ? piece.decoded : piece.original);
  }
  held_.clear();
  heldBytes_ = 0;
}

void Utf8StreamDecoder::Write(std::string_view bytes) {
  out_ += bytes;
  if (out_.size() >= kFlushSize) {
    Flush();
  }
}

bool Utf8StreamDecoder::Flush() {
  if (!out_.empty() && !failed_ && !sink_->Write(out_)) {
    failed_ = true;
  }
  out_.clear();
  return !failed_;
}

}  // namespace lettermorph
