#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "decode/decoded_word_cache.h"
#include "decode/text_tokenizer.h"
#include "decode/word_decoder.h"
#include "decode/word_index.h"
#include "recode/replacement_table.h"
#include "text/byte_sink.h"

namespace lettermorph {

class CaseModel;
class WordReadAhead;
struct WordPlace;

// Turns look-alike UTF-8 text, arriving in pieces of any size, back into Russian in bounded
// memory. Words that read as Russian are written in Russian, with their case chosen from the
// look-alikes, the word's place and what the text shows about case at such places;
// everything else (English words, numbers, addresses, punctuation, spaces, line ends,
// malformed bytes) is copied as it is.
//
// A word that may as well be English ("no", "cup", "u") follows the words joined to it
// ("u/uJIu", "koi8-r", "-u"), and then its nearest neighbours that are not such words: it
// stays as it is between English words and is decoded next to Russian ones.
class Utf8StreamDecoder {
 public:
  // Keeps a pointer to `index`, which may be null and must have been built for `table`, and a
  // copy of the table.
  Utf8StreamDecoder(const ReplacementTable& table, const WordIndex* index);
  ~Utf8StreamDecoder();

  // Text given in pieces this long or longer keeps the thread that decodes words ahead at
  // work: each piece sets it to work anew, and its start is decoded without the thread.
  static constexpr std::size_t kPreferredPiece = std::size_t{1} << 20;

  // Decodes the next piece and writes what it can to `sink`; the end of a word and the words
  // whose neighbours are not yet known are held back. False once the sink has failed.
  bool Decode(std::string_view input, ByteSink& sink);

  // Ends the text: writes everything held back. What follows is a new text, which starts
  // with a sentence; the decoded words are remembered.
  bool Finish(ByteSink& sink);

 private:
  // Input is shared with the thread that decodes words ahead in pieces of this size: small
  // enough that the pieces decoded without help, the first of each read and any the thread
  // leaves to the decoder, are a small part of the text, large enough that handing pieces
  // over costs little.
  static constexpr std::size_t kReadAheadPiece = 8 * 1024;
  // The longest word, in bytes, that a full stop after it may shorten ("напр.").
  static constexpr std::size_t kLastWordKept = 8;
  // What becomes of a piece: copied, written decoded, or either once the rest of its chunk
  // (joined) or its neighbours (open) are known.
  enum class Fate : std::uint8_t { Copy, Decode, Joined, Open };
  // What a Latin word may be besides Russian; whether a letter alone may be an initial, and
  // whether it is decoded whatever is joined to it, as look-alikes that are no Latin are.
  enum WordFlag : std::uint8_t {
    kMayBeEnglish = 1,
    kStrayLetter = 2,
    kMayBeInitial = 4,
    kAlwaysRussian = 8,
    kLoneStop = 16,    // a full stop alone, which may be an initial whose letter vanished
    kCodeShaped = 32,  // a letter alone or capitals, as names and code are written too
    kAfterHyphen = 64  // a hyphen alone joins it to the word before
  };
  // The nearest word that is not open: none, foreign or Russian.
  enum class Neighbour : std::uint8_t { None, Foreign, Russian };

  struct Part {
    TextTokenizer::Kind kind;
    Fate fate;
    std::uint8_t word;         // WordFlag bits
    std::uint32_t textEnd;     // in text_, where the previous part's ends
    std::uint32_t decodedEnd;  // in decoded_, likewise
  };

  class Stage final : public TextTokenizer::Receiver {
   public:
    explicit Stage(Utf8StreamDecoder& decoder) : decoder_(decoder) {}
    void Take(TextTokenizer::Kind kind, std::string_view bytes) override;

   private:
    Utf8StreamDecoder& decoder_;
  };

  void TakeWord(std::string_view token);
  std::string_view Spell(const DecodedWord& word, DecodedWord::Spelling spelling);
  void TakeOther(TextTokenizer::Kind kind, std::string_view bytes);
  void TakeSpace(std::string_view bytes);
  void Add(TextTokenizer::Kind kind, Fate fate, std::uint8_t word, std::string_view text,
           std::string_view decoded);
  void Hold(TextTokenizer::Kind kind, Fate fate, std::uint8_t word, std::string_view text,
            std::string_view decoded);
  void EndChunk();
  char32_t EndOfTail() const;
  void EndChunkOnStop();
  void ResolveChunk();
  void ResolveParts();
  std::string ChunkInitialLetters() const;
  bool DecideInitials();
  void CapitaliseLetter(std::size_t part);
  void PutBackInitial(std::size_t part);
  std::size_t LoneStop() const;
  void EndSentence();
  void FollowMenuPath(bool firstWord, bool capital);
  void ReleaseMenuItem();
  bool FlipsEnding(const DecodedWord& decoded) const;
  void AgreePossessive(const DecodedWord& next);
  void Settle(Neighbour after);
  void WriteThrough(std::size_t parts);
  WordPlace PlaceOfWord() const;
  std::size_t HeldPart(const DecodedWord& word) const;
  bool LongLineBefore() const;
  void KeepLastWord(std::string_view letters, bool command);
  std::string_view LastWord() const;
  void AddToChunkTail(std::string_view bytes);
  void KeepChunkTailEnd(std::string_view bytes);
  std::string_view ChunkTail() const { return {chunkTail_.data(), chunkTailSize_}; }
  void CountSpaces(std::string_view bytes);
  void CountLine(std::string_view bytes);
  void MakeRoom(std::size_t size);
  void Write(std::string_view bytes);
  bool Flush();
  // Feeds `input` to the tokenizer while another thread decodes the words of its pieces ahead.
  void ReadAhead(std::string_view input);

  // What nearly every token reads or writes comes first, from the object's start, which is
  // aligned to a cache line: so it fills few lines, and the first 128 bytes, which the most
  // used members fill, take one-byte offsets, which keeps the hot code small. Colder members
  // follow, so that changing them moves none of these.

  // The layout of lines: the line being read, and the one before it.
  alignas(64) bool lineHasText_ = false;
  bool lineHasWord_ = false;
  bool lineStartsWithDash_ = false;
  bool chunkTerm_ = false;      // the line's first chunk is a word in Latin capitals alone so
                                // far, or the chunk closes an aside after such a term
  bool afterTerm_ = false;      // the chunk before was such a term
  bool termAside_ = false;      // a bracket opened right after it has not closed yet
  bool chunkAfterGap_ = false;  // the chunk follows a gap of three spaces or more in its line
  int lineLength_ = 0;
  int lineIndent_ = 0;
  int lineChunks_ = 0;  // chunks so far in the line
  int asideDepth_ = 0;  // brackets open in that aside
  int lineRules_ = 0;   // a table's column rules so far in the line
  int spaceRun_ = 0;    // spaces since the line's last text, a tab counting three
  char32_t lineEnd_ = 0;
  int previousLength_ = 0;
  int previousIndent_ = 0;
  char32_t previousEnd_ = 0;
  // The case that the look-alikes of the line's first word showed, which the case model
  // learns at the line's end: 1 capitalised, 0 small, -1 (CaseModel::kUnshown) none.
  int lineFirstCase_ = -1;
  float recentLongest_ = 0;
  int blankLines_ = 0;
  // Where the line's first text after a wide gap starts, and the column of the line before;
  // -1 for none.
  int lineColumn_ = -1;
  int previousColumn_ = -1;
  // Options' descriptions: the line opens with a command's option ("-a, --all") and holds
  // no word of prose, small or capitalised, so far; so did the line before, whose
  // description the lines indented under it are; a description has started since the last
  // option.
  bool lineOpensWithOption_ = false;
  bool lineHasProse_ = false;
  bool previousNamesOption_ = false;
  bool descriptionOpen_ = false;
  // The line's first chunk is a term in Latin capitals that goes on with the sentence of the
  // line before, not one that its description follows.
  bool termInSentence_ = false;

  // The chunk being gathered: text between two spaces.
  bool chunkHasPart_ = false;
  bool inSpace_ = false;  // the last token was a space, which may come in several parts
  bool chunkHasWord_ = false;
  bool chunkOpening_ = false;      // an opening quote or bracket before its first word
  bool chunkQuote_ = false;        // and the last of them was a quote
  bool chunkOption_ = false;       // it starts with a dash, as a command's option does
  bool chunkOptionValue_ = false;  // the rest of it is the value after an option's "="
  bool chunkForeign_ = false;      // it holds a foreign word
  bool chunkEnglish_ = false;      // and one of English prose, not a name, acronym or code
  bool chunkNumber_ = false;       // it holds a number
  bool chunkRussian_ = false;      // it holds a Russian word that is no Latin one
  bool afterNumber_ = false;       // the last part of the chunk is a number
  bool afterPercent_ = false;      // the last part of the chunk is punctuation ending in "%"
  // The punctuation after its last word: its last kChunkTailKept bytes at least, as only its
  // end is read. Held in place, as most words clear it and most punctuation adds to it.
  static constexpr std::size_t kChunkTailKept = 16;
  std::array<char, 2 * kChunkTailKept> chunkTail_{};
  std::size_t chunkTailSize_ = 0;

  // Where the next word stands.
  bool sentenceStart_ = true;
  bool paragraphStarts_ = false;  // the sentence to start follows a blank line
  bool afterAbbreviation_ = false;
  bool afterInitial_ = false;
  char32_t chunkEnd_ = 0;            // the last character of the previous chunk
  bool previousWasDash_ = false;     // the previous chunk was a dash alone
  bool wroteCapitals_ = false;       // the previous word was written in capitals
  bool lastWordInCapitals_ = false;  // so was the last word, across sentences too
  // What the word just before asks of a word whose last letter may be "и" or "й", and whether
  // it asks for the genitive; the letters of one that asks IfAdjective or IfNoun are in
  // previousLetters_ below.
  DecodedWord::Asks previousAsks_ = DecodedWord::Asks::Nothing;
  bool previousGenitive_ = false;
  bool afterTitleWord_ = false;  // the word just before was Latin with a capital, as "Intent"
  // What the word just before says of such a word by the counts of text: a TwinContexts
  // context, and the one for no word right before.
  std::uint16_t previousContext_;
  std::uint16_t nothingBefore_;
  // The chunk's last word, if Russian, in small letters: its length in bytes, and its letters
  // while it is no longer than an abbreviation may be, which is all that is asked of them.
  std::array<char, kLastWordKept> lastWord_{};
  std::size_t lastWordSize_ = 0;
  bool lastWordCapital_ = false;  // and whether it was written with a capital
  bool lastWordStarts_ = false;   // and whether it started a sentence
  bool lastWordName_ = false;     // and whether it was a name: a proper noun, or capitalised
                                  // inside a sentence
  // The previous chunk, for a letter with a full stop that may be an initial: it ended on
  // such a name ("Пушкин А."), was an initial ("А. С."), or held a number or a foreign word
  // ("1999 г.", "XIX в.").
  bool previousName_ = false;
  bool previousInitial_ = false;
  bool previousOther_ = false;
  bool afterRussianWord_ = false;     // the previous chunk ended on a Russian word
  bool chunkMayHoldInitial_ = false;  // it holds a part that may be an initial
  bool chunkInitials_ = false;        // the chunk was found to be initials
  bool chunkStartsWithName_ = false;  // its first word is a name: a proper noun, or a word
                                      // whose look-alikes show a capital first
  // A letter with a full stop that is an initial if one follows ("Н. В."), not yet written;
  // kNoPart when there is none. Its letter is in pendingLetter_ below.
  static constexpr std::size_t kNoPart = static_cast<std::size_t>(-1);
  std::size_t pending_ = kNoPart;
  // A word written small that may be the first item of a menu path, and what it waits for:
  // its chunk's end, a dash alone, the first word after the dash. Where it stands is in
  // menuItem_ below.
  enum class MenuStep : std::uint8_t { WordEnds, DashEnds, NextItem };
  bool menuHeld_ = false;
  MenuStep menuStep_ = MenuStep::WordEnds;
  bool menuAfterCommand_ = false;  // the held word follows a command ("Выберите")
  bool lastWordCommand_ = false;   // the last word kept is one
  bool menuPath_ = false;          // the sentence holds a menu path, whose items go on
  // A possessive whose "й" and "и" look alike ("свой", "свои") waits for the word after it,
  // whose ending shows the number; where it stands is in possessiveItem_ below.
  bool possessiveHeld_ = false;
  bool afterItemWord_ = false;  // the word before was capitalised inside a sentence
  bool afterControl_ = false;   // the word before names a control ("кнопку")

  Stage stage_{*this};
  std::unique_ptr<CaseModel> cases_;
  // Output not yet handed to the sink: the first outSize_ bytes of out_.
  std::string out_;
  std::size_t outSize_ = 0;

  // Text not yet written: the undecided run, then the chunk being gathered; the run's bytes
  // are in text_ and decoded_ below.
  std::vector<Part> parts_;
  std::size_t chunkStart_ = 0;  // the first part of the chunk
  std::size_t open_ = 0;        // parts whose fate is joined or open
  Neighbour before_ = Neighbour::None;
  // Names and code ("Linux", "URL", "readdir()") tell nothing of the sentence's language:
  // such chunks stood between before_ and the undecided run, or after the run, which then
  // waits past them for a word of prose.
  bool codeBefore_ = false;
  bool codeAfter_ = false;

  // Colder state: read by some words only, or when something held is let go.
  std::string text_;
  std::string decoded_;
  std::string spelled_;
  DecodedWord twin_;  // a word with another ending than the cache's, kept for its buffer
  std::string previousLetters_;
  bool pendingStop_ = false;  // the pending letter is a full stop alone
  std::string pendingLetter_;
  // The held menu item is a part while its run is undecided (kNoPart once written), and then
  // its place in out_, not yet handed on; the held possessive likewise, its last byte in out_.
  std::size_t menuItem_ = kNoPart;
  std::size_t menuOut_ = 0;
  std::size_t possessiveItem_ = kNoPart;
  std::size_t possessiveOut_ = 0;
  ByteSink* sink_ = nullptr;
  bool failed_ = false;

  // The word cache, looked up once a word, on cache lines of its own.
  alignas(64) DecodedWordCache cache_;
  WordDecoder words_;
  TextTokenizer tokenizer_;
  const WordIndex* index_;
  std::unique_ptr<WordReadAhead> readAhead_;
};

}  // namespace lettermorph
