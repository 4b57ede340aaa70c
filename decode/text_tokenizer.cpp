#include "decode/text_tokenizer.h"

#include <algorithm>

namespace lettermorph {
namespace {

constexpr char32_t kInvalid = 0xFFFD;

bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// Length of the character that starts `text`, and its code point: 0 when the text ends
// inside it, 1 with kInvalid for a byte that starts no character.
std::size_t CharacterAt(std::string_view text, char32_t& code) {
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

// As above, with a character cut off by the end of the text taken as invalid bytes.
std::size_t WholeCharacterAt(std::string_view text, char32_t& code) {
  const std::size_t length = CharacterAt(text, code);
  if (length == 0) {
    code = kInvalid;
    return 1;
  }
  return length;
}

bool IsSpace(char32_t code) {
  return code == ' ' || (code >= '\t' && code <= '\r') || code == 0xA0 ||
         (code >= 0x2000 && code <= 0x200A) || code == 0x2028 || code == 0x2029 || code == 0x202F ||
         code == 0x205F || code == 0x3000;
}

bool IsAsciiAlphanumeric(char32_t code) {
  return (code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z') ||
         (code >= 'a' && code <= 'z');
}

}  // namespace

TextTokenizer::TextTokenizer(std::u16string_view wordCharacters)
    : wordCharacters_(wordCharacters) {}

void TextTokenizer::Feed(std::string_view piece, Receiver& receiver) {
  char32_t code = 0;
  if (!partial_.empty()) {
    // The cut-off character is completed from the first bytes of this piece.
    const std::string joined = partial_ + std::string(piece.substr(0, 3));
    const std::size_t length = CharacterAt(joined, code);
    if (length == 0) {
      partial_ = joined;
      return;
    }
    TakeCharacter(std::string_view(joined).substr(0, length), code, receiver);
    const std::size_t fromPiece = length > partial_.size() ? length - partial_.size() : 0;
    const std::string leftOver = joined.substr(length, partial_.size() - length + fromPiece);
    partial_.clear();
    piece.remove_prefix(fromPiece);
    if (!leftOver.empty()) {
      Feed(leftOver, receiver);
    }
  }
  while (!piece.empty()) {
    const std::size_t length = CharacterAt(piece, code);
    if (length == 0) {
      partial_ = piece;
      break;
    }
    TakeCharacter(piece.substr(0, length), code, receiver);
    piece.remove_prefix(length);
  }
  if (!spaces_.empty()) {
    receiver.Take(Kind::Space, spaces_);
    spaces_.clear();
  }
}

void TextTokenizer::Finish(Receiver& receiver) {
  chunk_ += partial_;
  partial_.clear();
  EndChunk(receiver);
  if (!spaces_.empty()) {
    receiver.Take(Kind::Space, spaces_);
    spaces_.clear();
  }
}

void TextTokenizer::TakeCharacter(std::string_view bytes, char32_t code, Receiver& receiver) {
  if (IsSpace(code)) {
    EndChunk(receiver);
    spaces_ += bytes;
    return;
  }
  if (!spaces_.empty()) {
    receiver.Take(Kind::Space, spaces_);
    spaces_.clear();
  }
  if (overLong_) {
    receiver.Take(Kind::Verbatim, bytes);
    return;
  }
  chunk_ += bytes;
  if (chunk_.size() > kMaxChunk) {
    receiver.Take(Kind::Verbatim, chunk_);
    chunk_.clear();
    overLong_ = true;
  }
}

void TextTokenizer::EndChunk(Receiver& receiver) {
  overLong_ = false;
  if (chunk_.empty()) {
    return;
  }
  if (LooksVerbatim()) {
    receiver.Take(Kind::Verbatim, chunk_);
    chunk_.clear();
    return;
  }
  const std::string_view chunk = chunk_;
  std::size_t start = 0;
  bool inWord = false;
  char32_t code = 0;
  for (std::size_t at = 0; at < chunk.size();) {
    const std::size_t length = WholeCharacterAt(chunk.substr(at), code);
    const bool word = IsWordCharacter(code);
    if (at > start && word != inWord) {
      receiver.Take(inWord ? Kind::Word : Kind::Punctuation, chunk.substr(start, at - start));
      start = at;
    }
    inWord = word;
    at += length;
  }
  receiver.Take(inWord ? Kind::Word : Kind::Punctuation, chunk.substr(start));
  chunk_.clear();
}

bool TextTokenizer::IsWordCharacter(char32_t code) const {
  return IsAsciiAlphanumeric(code) ||
         (code <= 0xFFFF &&
          wordCharacters_.find(static_cast<char16_t>(code)) != wordCharacters_.npos) ||
         (code >= 0xC0 && code <= 0x24F && code != 0xD7 && code != 0xF7) ||
         (code >= 0x370 && code <= 0x52F);
}

// Addresses, paths, e-mail and code: a character no word uses that joins words ("/", "@",
// "_", "=", "\") or a dot inside a name ("example.com", not "т.е."). Such text is copied
// whole, so that "example.com" does not become "example.сом".
bool TextTokenizer::LooksVerbatim() const {
  const std::string_view chunk = chunk_;
  for (std::size_t at = 0; at < chunk.size(); ++at) {
    const char c = chunk[at];
    if (std::string_view("/@_=\\").find(c) != std::string_view::npos &&
        !IsWordCharacter(static_cast<unsigned char>(c))) {
      return true;
    }
    if (c == '.' && at > 0 && at + 2 < chunk.size() && IsAsciiAlphanumeric(chunk[at - 1]) &&
        IsAsciiAlphanumeric(chunk[at + 1]) && IsAsciiAlphanumeric(chunk[at + 2])) {
      return true;
    }
  }
  return false;
}

}  // namespace lettermorph
