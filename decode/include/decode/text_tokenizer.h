#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lettermorph {

// Cuts UTF-8 text that arrives in pieces of any size into spaces, punctuation and words, in
// bounded memory; the pieces it hands on, joined, are the input byte for byte. A word is a
// run of letters, digits and the characters that replacements use ("}|{"), so that a
// look-alike word arrives whole even when a piece boundary or a multi-byte character cuts it.
//
// Text between two spaces that looks like an address, a path or code ("example.com",
// "a_b=c") is handed on whole as verbatim, and so is one longer than kMaxChunk bytes.
class TextTokenizer {
 public:
  enum class Kind { Space, Punctuation, Word, Verbatim };

  class Receiver {
   public:
    virtual ~Receiver() = default;
    virtual void Take(Kind kind, std::string_view bytes) = 0;
  };

  static constexpr std::size_t kMaxChunk = 256;

  // `wordCharacters` are the characters, beyond letters and digits, that belong to words.
  explicit TextTokenizer(std::u16string_view wordCharacters);

  void Feed(std::string_view piece, Receiver& receiver);
  // Ends the text: hands on what is held back.
  void Finish(Receiver& receiver);

 private:
  void TakeCharacter(std::string_view bytes, char32_t code, Receiver& receiver);
  void EndChunk(Receiver& receiver);
  bool IsWordCharacter(char32_t code) const;
  bool LooksVerbatim() const;

  std::u16string wordCharacters_;
  std::string partial_;  // the start of a multi-byte character cut off by the piece's end
  std::string chunk_;    // non-space text since the last space
  std::string spaces_;
  bool overLong_ = false;  // the current chunk outgrew kMaxChunk and is being passed on
};

}  // namespace lettermorph
