#pragma once

#include <array>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lettermorph {

struct ByteMasks;

// Cuts UTF-8 text that arrives in pieces of any size into spaces, punctuation, words and
// numbers, in bounded memory; the pieces it hands on, joined, are the input byte for byte.
// A word is a run of letters and of the characters that replacements use ("}|{"), so that a
// look-alike word arrives whole even when a piece boundary or a multi-byte character cuts it;
// digits that no replacement uses stand apart ("naKeT" and "1" in "naKeT1"), and a character
// of a replacement that cannot start (end) one is punctuation at a word's start (end), as "<"
// and ">" around "<ucnoJIb3oBaTb>" where only ">I<" uses them; in such a word, so is every
// character of a replacement that no replacement standing whole around it explains, as "|" in
// "|NAME|ucnoJIb3oBaTb" where only "}|{" uses it. Slashes, underscores, "=",
// "@" and backslashes separate words like any punctuation.
//
// Text between two spaces that looks like an address ("https://...", "example.com") is handed
// on whole as verbatim, and so is a word longer than kMaxWord bytes, which no Russian word is;
// a function's name with a dot ("MHuM.ABS(z)" for МНИМ.ABS) is no address. Text between two
// spaces may be of any length: past kMaxChunk bytes it is handed on as it comes, its first
// kMaxChunk bytes deciding whether it is an address.
class TextTokenizer {
 public:
  enum class Kind { Space, Punctuation, Word, Number, Verbatim };

  class Receiver {
   public:
    virtual ~Receiver() = default;
    virtual void Take(Kind kind, std::string_view bytes) = 0;
  };

  static constexpr std::size_t kMaxWord = 256;
  static constexpr std::size_t kMaxChunk = 4096;
  // Runs read ahead of handing them on.
  static constexpr std::size_t kMaxRuns = 1024;

  // The replacement strings of the table: their characters belong to words.
  explicit TextTokenizer(std::span<const std::u16string> replacements);

  // Most text is a token every few bytes, so the tokens read from the masks go to R's Take
  // directly, without a virtual call; the rarer ones go through Receiver. Callers include
  // "text_tokenizer_feed.h", where it is defined.
  template <std::derived_from<Receiver> R>
  void Feed(std::string_view piece, R& receiver);
  // Ends the text: hands on what is held back.
  void Finish(Receiver& receiver);

 private:
  // What a character is to the tokenizer; word characters may also start or end a word.
  enum Class : std::uint8_t {
    kSpace = 0,
    kPunctuation = 1,
    kDigit = 2,
    kWord = 4,
    kStarts = 8,  // may start a word
    kEnds = 16,   // may end a word
  };

  // The longest word before a function name's dot that is read as Russian capitals.
  static constexpr std::size_t kLongestFunctionWord = 64;

  bool LooksVerbatim(std::string_view chunk) const;
  bool NamesFunction(std::string_view chunk, std::size_t dot) const;
  std::uint8_t ClassOf(char32_t code) const;
  std::uint8_t ClassBeyondAscii(char32_t code) const;
  // The class of the character that starts `text`, which is not empty, and its length; ASCII
  // is read straight from a table, as most look-alike text is ASCII.
  std::size_t ClassAt(std::string_view text, std::uint8_t& type) const;
  void TakeChunk(std::string_view chunk, Receiver& receiver);
  void TakeLongChunk(Receiver& receiver);
  // A run of punctuation, or of word characters and digits, in a chunk; `plain` as TakeRun
  // takes it.
  struct Run {
    std::size_t from;
    std::size_t to;
    bool word;
    bool plain;
  };
  template <class R>
  std::size_t TakeShortChunks(std::string_view piece, std::size_t at, R& receiver, bool& stuck);
  // What TakeShortChunks reads the tokens of 64 bytes from, one bit a byte.
  struct TokenBits {
    const char* text;
    std::uint64_t spaces;
    std::uint64_t words;   // letters, digits and characters of replacements
    std::uint64_t digits;  // ASCII digits
    std::uint64_t starts;  // the bytes that start spaces and runs after others
    // Set just past each run of words that is no plain word: one with a digit that stands
    // apart, all digits, or with a character that cannot start (end) a word at its start (end).
    std::uint64_t closer;
    std::uint64_t numbers;  // set just past each run of digits alone
  };
  template <class R>
  void TakeTokens(const TokenBits& bits, int from, int to, R& receiver);
  bool DigitsLeavePlain(std::string_view run, std::uint64_t digits) const;
  std::size_t ScanRuns(std::string_view text, bool whole, bool& marked);
  void TakeScanned(std::string_view text, std::size_t index, Receiver& receiver);
  void Split(std::string_view chunk, Receiver& receiver, bool last);
  void TakeRun(std::string_view run, Receiver& receiver, bool plain);
  std::size_t ReplacementFrom(std::string_view run, std::size_t at) const;
  bool IsPlainWord(std::string_view run, bool plain) const;

  // Reads the masks of 64 bytes, with the widest vector instructions that the processor has.
  ByteMasks (*masksOf64_)(const char* text);
  std::array<std::uint8_t, 128> ascii_{};
  // What each byte tells a run of ASCII word characters read on in one go: whether it goes on
  // the run (no byte beyond ASCII does), marks an address ('.', ':'), or is no digit.
  enum InWord : std::uint8_t { kGoesOn = 1, kMarks = 2, kNotDigit = 4 };
  std::array<std::uint8_t, 256> inWord_{};
  // What an ASCII byte other than a letter or space tells TakeShortChunks: whether it joins
  // words, whether it is a '.', ':' or '/', which addresses hold, or a digit that no
  // replacement uses, which stands apart.
  enum Joins : std::uint8_t { kJoins = 1, kDot = 2, kColon = 4, kSlash = 6, kApart = 8 };
  std::array<std::uint8_t, 256> others_{};
  // The classes of the characters of two bytes in UTF-8 (Latin letters with accents, Greek,
  // Cyrillic, « and »), worked out once, as such text is full of them.
  std::array<std::uint8_t, 0x800 - 0x80> twoBytes_{};
  std::vector<std::string> capitals_;  // the replacements of capitals that are ASCII
  // The replacements, in UTF-8, that hold ASCII punctuation ("}|{"): such a character is part
  // of a word only where one of them stands whole around it.
  std::vector<std::string> punctuated_;
  std::array<bool, 128> inCapitals_{};  // the characters of those
  std::u32string wordCharacters_;       // beyond ASCII, sorted, with their classes below
  std::u32string startCharacters_;
  std::u32string endCharacters_;

  std::string partial_;    // the start of a multi-byte character cut off by the piece's end
  std::string chunk_;      // non-space text since the last space, when a piece ended inside it
  std::vector<Run> runs_;  // of the chunk being handed on
  enum class Long { No, Verbatim, Split } long_ = Long::No;  // past kMaxChunk bytes
  bool longWord_ = false;  // a word past kMaxWord bytes is being handed on as verbatim
};

}  // namespace lettermorph
