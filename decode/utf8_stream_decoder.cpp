#include "decode/utf8_stream_decoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <thread>
#include <utility>

#include "case_model.h"
#include "text/utf8.h"
#include "text_tokenizer_feed.h"
#include "twin_contexts.h"
#include "word_read_ahead.h"

namespace lettermorph {
namespace {

// Output goes to the sink in pieces of about this size.
constexpr std::size_t kFlushSize = 64 * 1024;
// An undecided run of words that may be English is settled, as if the text ended, when it
// grows past either bound.
constexpr std::size_t kMaxHeldBytes = 4096;
constexpr std::size_t kMaxHeldPieces = 64;
// A line at least this share of the longest recent line, which is this long at least, is
// taken for one that a hard wrap ended.
constexpr float kLongLine = 0.75f;
constexpr float kWrappedText = 40;

bool IsContinuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The code point of the character beyond ASCII that ends `bytes`; U+FFFD for a malformed one.
char32_t LastCharacterBeyondAscii(std::string_view bytes) {
  std::size_t at = bytes.size() - 1;
  while (at > 0 && bytes.size() - at < 4 && IsContinuation(bytes[at])) {
    --at;
  }
  const auto lead = static_cast<unsigned char>(bytes[at]);
  const std::size_t length = bytes.size() - at;
  const int expected = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (expected != static_cast<int>(length)) {
    return 0xFFFD;
  }
  char32_t code = lead & (0x3F >> (length - 1));
  for (std::size_t i = 1; i < length; ++i) {
    code = (code << 6) | (static_cast<unsigned char>(bytes[at + i]) & 0x3F);
  }
  return code;
}

// The code point of the character that ends `bytes`; U+FFFD for a malformed one. Most
// tokens end on an ASCII character, which is its own code point.
inline char32_t LastCharacter(std::string_view bytes) {
  if (bytes.empty()) {
    return 0;
  }
  const auto last = static_cast<unsigned char>(bytes.back());
  return last < 0x80 ? last : LastCharacterBeyondAscii(bytes);
}

char32_t FirstCharacter(std::string_view bytes) {
  if (bytes.empty()) {
    return 0;
  }
  const auto lead = static_cast<unsigned char>(bytes[0]);
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return LastCharacter(bytes.substr(0, std::min(length, bytes.size())));
}

// Latin letters in one case after the first, as English is written, in capitals throughout:
// "URL", "GNU", not "oT". The first two letters tell.
bool IsAcronym(std::string_view latin) {
  return latin.size() > 1 && latin[0] >= 'A' && latin[0] <= 'Z' && latin[1] >= 'A' &&
         latin[1] <= 'Z';
}

bool HasAsciiLetter(std::string_view bytes) {
  return std::any_of(bytes.begin(), bytes.end(),
                     [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); });
}

bool IsOpening(std::string_view punctuation) {
  // Punctuation is mostly a byte or two of ASCII: one pass over its bytes tells, and only
  // punctuation beyond ASCII may hold the opening quotes that are.
  bool beyondAscii = false;
  for (const char c : punctuation) {
    if (c == '"' || c == '\'' || c == '(' || c == '[' || c == '{') {
      return true;
    }
    beyondAscii = beyondAscii || static_cast<unsigned char>(c) >= 0x80;
  }
  return beyondAscii && (punctuation.find("\u00AB") != punctuation.npos ||
                         punctuation.find("\u201E") != punctuation.npos ||
                         punctuation.find("\u201C") != punctuation.npos);
}

// An opening bracket rather than a quote: "(", "[", "{".
bool IsOpeningBracket(std::string_view punctuation) {
  return std::any_of(punctuation.begin(), punctuation.end(),
                     [](char c) { return c == '(' || c == '[' || c == '{'; });
}

bool IsClosing(char32_t c) {
  return c == '"' || c == '\'' || c == ')' || c == ']' || c == '}' || c == 0xBB || c == 0x201D ||
         c == 0x201C;
}

bool EndsSentence(char32_t c) {
  return c == '.' || c == '!' || c == '?' || c == 0x2026;
}

bool IsDash(char32_t c) {
  return c == '-' || c == 0x2013 || c == 0x2014 || c == 0x2022 || c == '*';
}

// A table's column rule, drawn with box-drawing characters ("│").
bool IsTableRule(char32_t c) {
  return c >= 0x2500 && c <= 0x257F;
}

bool IsLetterOrDigit(char32_t c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
         (c >= 0xC0 && c != 0xD7 && c != 0xF7 && c < 0x2000);
}

// Words that a full stop shortens without ending the sentence: "т. д.", "см.", "г.".
constexpr std::array<std::string_view, 26> kAbbreviations = {
    "т",   "д",   "п",   "е",   "н",    "см",  "ср",  "г",  "гг",  "др",  "пр",   "напр", "им",
    "стр", "рис", "тыс", "млн", "млрд", "руб", "коп", "ул", "мин", "сек", "англ", "лат",  "гл"};
bool IsAbbreviation(std::string_view small) {
  return std::find(kAbbreviations.begin(), kAbbreviations.end(), small) != kAbbreviations.end();
}

// Letters alone that a full stop shortens a word to ("т. е.", "с. 5", "г. Москва", "и. о.");
// one of them is an initial only beside a name or another initial. "в" is left out: after a
// number or a Roman one ("XIX в.") no initial stands anyway.
bool IsAbbreviationLetter(std::string_view small) {
  static constexpr std::array<std::string_view, 16> kLetters = {
      "т", "д", "п", "е", "н", "э", "к", "ч", "с", "у", "м", "л", "р", "г", "и", "о"};
  return std::find(kLetters.begin(), kLetters.end(), small) != kLetters.end();
}

// Letters that a full stop shortens a word to before a name as well as an initial: "г.
// Москва", "с. Ивановка", "р. Волга", "т. Петров". Before a name, other such letters are
// initials ("н. Сидоров" is "Н. Сидоров").
bool ShortensWordBeforeName(std::string_view small) {
  static constexpr std::array<std::string_view, 9> kLetters = {"г", "с", "д", "п", "р",
                                                               "о", "т", "м", "х"};
  return std::find(kLetters.begin(), kLetters.end(), small) != kLetters.end();
}

// Letters with full stops run together that shorten words ("т.е.", "н.э."), not initials.
bool IsAbbreviationRun(std::string_view small) {
  static constexpr std::array<std::string_view, 10> kRuns = {"те", "тд", "тп", "тк", "тн",
                                                             "тч", "нэ", "ио", "уе", "жд"};
  return std::find(kRuns.begin(), kRuns.end(), small) != kRuns.end();
}

// The small form of a Russian letter's two bytes of UTF-8.
void AppendSmallLetter(std::string_view letter, std::string& out) {
  const auto lead = static_cast<unsigned char>(letter[0]);
  const auto next = static_cast<unsigned char>(letter[1]);
  if (lead == 0xD0 && next >= 0x90 && next <= 0x9F) {
    out += "\xD0";
    out += static_cast<char>(next + 0x20);
  } else if (lead == 0xD0 && next >= 0xA0 && next <= 0xAF) {
    out += "\xD1";
    out += static_cast<char>(next - 0x20);
  } else if (lead == 0xD0 && next == 0x81) {
    out += "\xD1\x91";
  } else {
    out += letter;
  }
}

// Prepositions, conjunctions and particles of more than one letter, which name no control:
// "значок на панели", "флажок не установлен".
bool IsFunctionWord(std::string_view small) {
  static constexpr std::array<std::string_view, 17> kWords = {
      "во", "на",  "по",  "из",  "со",  "ко",  "об",  "от", "до",
      "за", "для", "при", "без", "под", "над", "или", "не"};
  return small.size() <= 6 && std::find(kWords.begin(), kWords.end(), small) != kWords.end();
}

// What Latin letters right after "%" read as: a format's conversion ("%u", "%lu"), code that,
// as a number does, says nothing about the language of the words around it.
const DecodedWord& Conversion() {
  static const DecodedWord conversion = [] {
    DecodedWord word;
    word.kind = DecodedWord::Kind::Number;
    return word;
  }();
  return conversion;
}

// Puts the small Russian letter in the two bytes at `letter` into its capital.
void CapitaliseRussianLetter(char* letter) {
  const auto lead = static_cast<unsigned char>(letter[0]);
  const auto next = static_cast<unsigned char>(letter[1]);
  if (lead == 0xD0 && next >= 0xB0) {
    letter[1] = static_cast<char>(next - 0x20);
  } else if (lead == 0xD1 && next >= 0x80 && next <= 0x8F) {
    letter[0] = static_cast<char>(0xD0);
    letter[1] = static_cast<char>(next + 0x20);
  } else if (lead == 0xD1 && next == 0x91) {
    letter[0] = static_cast<char>(0xD0);
    letter[1] = static_cast<char>(0x81);
  }
}

// The dashes that part the items of a menu path ("Формат - Ячейки"); the long dash of prose
// does not.
bool PartsMenuItems(char32_t c) {
  return c == '-' || c == 0x2013;
}

// What Latin letters that read as a surname are where no name may stand.
const DecodedWord& LatinForeignWord() {
  static const DecodedWord foreign = [] {
    DecodedWord word;
    word.latin = true;
    return word;
  }();
  return foreign;
}

// Copies the first and the last sizeof(Word) bytes of `size`, which lies between one and two
// words: the two stores overlap in the middle.
template <typename Word>
inline void CopyEnds(char* to, const char* from, std::size_t size) {
  Word head;
  Word tail;
  std::memcpy(&head, from, sizeof(Word));
  std::memcpy(&tail, from + size - sizeof(Word), sizeof(Word));
  std::memcpy(to, &head, sizeof(Word));
  std::memcpy(to + size - sizeof(Word), &tail, sizeof(Word));
}

// Sixteen bytes, which one load of SSE2 reads.
struct Block16 {
  std::uint64_t low;
  std::uint64_t high;
};

// Copies `bytes` to `to`. Most pieces are a space, a mark of punctuation or a word of a few
// bytes, two bytes a Russian letter: a byte alone is copied first, and the rest as two
// overlapping loads and stores rather than through a call to memcpy.
inline void CopyBytes(char* to, std::string_view bytes) {
  const char* from = bytes.data();
  const std::size_t size = bytes.size();
  if (size == 1) {
    to[0] = from[0];
  } else if (size < 4) {
    if (size > 0) {
      CopyEnds<std::uint16_t>(to, from, size);
    }
  } else if (size < 8) {
    CopyEnds<std::uint32_t>(to, from, size);
  } else if (size <= 16) {
    CopyEnds<std::uint64_t>(to, from, size);
  } else if (size <= 32) {
    CopyEnds<Block16>(to, from, size);
  } else {
    std::memcpy(to, from, size);
  }
}

}  // namespace

Utf8StreamDecoder::Utf8StreamDecoder(const ReplacementTable& table, const WordIndex* index)
    : previousContext_(TwinContexts::BuiltIn().NothingBefore()),
      nothingBefore_(previousContext_),
      cases_(std::make_unique<CaseModel>()),
      out_(2 * kFlushSize, '\0'),
      words_(table, index),
      tokenizer_(words_.Replacements()),
      index_(index) {}

Utf8StreamDecoder::~Utf8StreamDecoder() = default;

inline void Utf8StreamDecoder::KeepLastWord(std::string_view letters, bool command) {
  static_assert(std::all_of(kAbbreviations.begin(), kAbbreviations.end(),
                            [](std::string_view word) { return word.size() <= kLastWordKept; }),
                "an abbreviation is longer than the last word is kept");
  lastWordSize_ = letters.size();
  lastWordCommand_ = command;
  if (letters.size() <= kLastWordKept) {
    CopyBytes(lastWord_.data(), letters);
  }
}

std::string_view Utf8StreamDecoder::LastWord() const {
  return lastWordSize_ <= kLastWordKept ? std::string_view(lastWord_.data(), lastWordSize_)
                                        : std::string_view();
}

// Only a piece longer than what a flush leaves room for grows out_.
void Utf8StreamDecoder::MakeRoom(std::size_t size) {
  out_.resize(std::max(2 * out_.size(), outSize_ + size));
}

// Output waits in out_ until a flush's worth has gathered; out_ is kept longer than what it
// holds, so that writing a piece costs one check of room.
inline void Utf8StreamDecoder::Write(std::string_view bytes) {
  if (bytes.size() > out_.size() - outSize_) [[unlikely]] {
    MakeRoom(bytes.size());
  }
  CopyBytes(out_.data() + outSize_, bytes);
  outSize_ += bytes.size();
  if (outSize_ >= kFlushSize) [[unlikely]] {
    Flush();
  }
}

// Most parts need no later decision and follow none that waits: they are written at once.
inline void Utf8StreamDecoder::Add(TextTokenizer::Kind kind, Fate fate, std::uint8_t word,
                                   std::string_view text, std::string_view decoded) {
  chunkHasPart_ = true;
  if (!parts_.empty() || fate == Fate::Joined || fate == Fate::Open) {
    Hold(kind, fate, word, text, decoded);
    return;
  }
  Write(fate == Fate::Decode ? decoded : text);
}

bool Utf8StreamDecoder::Decode(std::string_view input, ByteSink& sink) {
  sink_ = &sink;
  // A second processor decodes words ahead; one alone would only do more work. It is of use
  // from the third piece on: the decoder reads the first itself, and the thread leaves it the
  // second.
  static const bool secondProcessor = std::thread::hardware_concurrency() > 1;
  if (secondProcessor && input.size() >= 3 * kReadAheadPiece) {
    ReadAhead(input);
  } else {
    tokenizer_.Feed(input, stage_);
  }
  return Flush();
}

// The pieces after the first are read ahead, each while the one before it is decoded.
void Utf8StreamDecoder::ReadAhead(std::string_view input) {
  std::vector<std::string_view> ahead;
  for (std::size_t at = kReadAheadPiece; at < input.size(); at += kReadAheadPiece) {
    ahead.push_back(input.substr(at, kReadAheadPiece));
  }
  if (!readAhead_) {
    // Made for the first long piece, so that a decoder of short texts costs no more.
    ReplacementTable table;
    const std::span<const std::u16string> replacements = words_.Replacements();
    for (int slot = 0; slot < kSlotCount; ++slot) {
      [[maybe_unused]] const bool set = table.SetReplacement(slot, replacements[slot]);
    }
    readAhead_ = std::make_unique<WordReadAhead>(table, index_);
  }
  if (!readAhead_->Start(ahead)) {
    tokenizer_.Feed(input, stage_);
    return;
  }
  // The input is the caller's only until this returns, however it returns.
  struct StopReading {
    WordReadAhead& readAhead;
    ~StopReading() { readAhead.Stop(); }
  } stop{*readAhead_};
  tokenizer_.Feed(input.substr(0, kReadAheadPiece), stage_);
  for (std::size_t piece = 0; piece < ahead.size(); ++piece) {
    for (std::vector<WordReadAhead::Word>& words : readAhead_->Reach(piece)) {
      for (WordReadAhead::Word& word : words) {
        cache_.Offer(word.token, word.hash, std::move(word.decoded));
      }
    }
    tokenizer_.Feed(ahead[piece], stage_);
  }
}

bool Utf8StreamDecoder::Finish(ByteSink& sink) {
  sink_ = &sink;
  tokenizer_.Finish(stage_);
  EndChunk();
  pending_ = kNoPart;
  EndSentence();
  *this->cases_ = CaseModel();
  sentenceStart_ = true;
  afterAbbreviation_ = afterInitial_ = false;
  previousName_ = previousInitial_ = previousOther_ = false;
  chunkEnd_ = 0;
  inSpace_ = false;
  previousWasDash_ = wroteCapitals_ = lastWordInCapitals_ = false;
  lineHasText_ = lineHasWord_ = lineStartsWithDash_ = false;
  lineLength_ = lineIndent_ = previousLength_ = previousIndent_ = blankLines_ = spaceRun_ = 0;
  lineRules_ = lineChunks_ = 0;
  afterTerm_ = chunkTerm_ = termAside_ = false;
  lineOpensWithOption_ = lineHasProse_ = previousNamesOption_ = descriptionOpen_ = false;
  lineColumn_ = previousColumn_ = -1;
  termInSentence_ = false;
  lineEnd_ = previousEnd_ = 0;
  lineFirstCase_ = CaseModel::kUnshown;
  recentLongest_ = 0;
  return Flush();
}

// The tokenizer calls this directly for most tokens, whose kind is then known: the branches
// fold away.
void Utf8StreamDecoder::Stage::Take(TextTokenizer::Kind kind, std::string_view bytes) {
  if (kind == TextTokenizer::Kind::Space) {
    decoder_.TakeSpace(bytes);
    return;
  }
  decoder_.inSpace_ = false;
  decoder_.CountLine(bytes);
  if (kind == TextTokenizer::Kind::Word) {
    decoder_.TakeWord(bytes);
  } else {
    decoder_.TakeOther(kind, bytes);
  }
}

// Past twice the bytes kept, only the last ones are kept.
inline void Utf8StreamDecoder::AddToChunkTail(std::string_view bytes) {
  if (chunkTailSize_ + bytes.size() <= chunkTail_.size()) [[likely]] {
    CopyBytes(chunkTail_.data() + chunkTailSize_, bytes);
    chunkTailSize_ += bytes.size();
  } else {
    KeepChunkTailEnd(bytes);
  }
}

// Keeps the last kChunkTailKept bytes of the tail followed by `bytes`.
void Utf8StreamDecoder::KeepChunkTailEnd(std::string_view bytes) {
  const std::size_t fromBytes = std::min(bytes.size(), kChunkTailKept);
  const std::size_t fromTail = kChunkTailKept - fromBytes;
  std::memmove(chunkTail_.data(), chunkTail_.data() + chunkTailSize_ - fromTail, fromTail);
  std::memcpy(chunkTail_.data() + fromTail, bytes.data() + bytes.size() - fromBytes, fromBytes);
  chunkTailSize_ = kChunkTailKept;
}

void Utf8StreamDecoder::TakeOther(TextTokenizer::Kind kind, std::string_view bytes) {
  using Kind = TextTokenizer::Kind;
  previousAsks_ = DecodedWord::Asks::Nothing;
  previousContext_ = nothingBefore_;
  previousGenitive_ = possessiveHeld_ = false;
  afterTitleWord_ = afterControl_ = false;
  afterNumber_ = kind == Kind::Number;
  afterPercent_ = kind == Kind::Punctuation && bytes.back() == '%';
  // Most such tokens are a byte of punctuation, which is a character unless it continues one.
  lineLength_ += bytes.size() == 1 ? static_cast<int>(!IsContinuation(bytes[0]))
                                   : static_cast<int>(CountUtf8Characters(bytes));
  if (kind == Kind::Punctuation || kind == Kind::Verbatim) {
    // A box-drawing character takes three bytes: shorter punctuation needs no decoding.
    lineRules_ += bytes.size() >= 3 && IsTableRule(LastCharacter(bytes)) ? 1 : 0;
  }
  if (kind == Kind::Punctuation) {
    // "-u" and "--no-group" are options of a command: what follows the dash is code.
    if (!chunkHasPart_) {
      chunkOption_ = IsDash(LastCharacter(bytes));
    } else if (chunkOption_ && bytes.find('=') != bytes.npos) {
      // An option's value is words of its own ("--backup=МЕТОД"): the option's name is code,
      // and what follows the "=" is judged as a chunk would be.
      ResolveChunk();
      chunkStart_ = parts_.size();
      chunkOption_ = chunkForeign_ = chunkEnglish_ = chunkNumber_ = chunkRussian_ = false;
      chunkOptionValue_ = true;
    }
    if (!chunkHasWord_ && IsOpening(bytes)) {
      chunkOpening_ = true;
      chunkQuote_ = !IsOpeningBracket(bytes);
      // A bracket right after a term is an aside on it ("EINVAL (FUTEX_FD) Значение"): the
      // description starts where the bracket closes, as it would right after the term.
      if (afterTerm_ && !chunkHasPart_ && !chunkQuote_) {
        termAside_ = true;
        asideDepth_ = 0;
      }
    }
    // An aside's own closing bracket ends it, not one of a call inside it ("open(2)"), and
    // the chunk it ends stands for the term.
    if (termAside_) {
      for (const char c : bytes) {
        asideDepth_ += (c == '(' || c == '[') - (c == ')' || c == ']');
      }
      if (asideDepth_ <= 0) {
        termAside_ = false;
        chunkTerm_ = true;
      }
    }
    AddToChunkTail(bytes);
  } else {
    lastWordSize_ = 0;
    chunkTailSize_ = 0;
    chunkNumber_ = chunkNumber_ || kind == Kind::Number;
    chunkForeign_ = chunkForeign_ || (kind == Kind::Verbatim && HasAsciiLetter(bytes));
    // An address or a piece of code starts its sentence or line as a word does: the word
    // after it goes on ("locks.txt в исходном коде").
    if (kind == Kind::Verbatim) {
      sentenceStart_ = afterAbbreviation_ = afterInitial_ = false;
    }
  }
  // A full stop alone may be an initial whose capital vanished ("А. С." recodes to ". C."):
  // it waits for its chunk's end and its neighbours.
  if (kind == Kind::Punctuation && bytes == "." && !chunkHasPart_ &&
      !words_.VanishedInitial().empty()) {
    Add(kind, Fate::Joined, kLoneStop, bytes, bytes);
    return;
  }
  Add(kind, Fate::Copy, 0, bytes, {});
}

void Utf8StreamDecoder::TakeWord(std::string_view token) {
  // Digits that are look-alikes ("6", "3") go on a number before them: "256K" and "16e2" are
  // numbers, not "25" and a word.
  if (afterNumber_ && token.front() >= '0' && token.front() <= '9') {
    chunkNumber_ = true;
    previousAsks_ = DecodedWord::Asks::Nothing;
    previousContext_ = nothingBefore_;
    lineLength_ += static_cast<int>(CountUtf8Characters(token));
    Add(TextTokenizer::Kind::Word, Fate::Copy, 0, token, {});
    return;
  }
  // Latin letters that read as a surname are one only right after initials, or a letter
  // that may be one, that no English word stands before ("H. C. Pepux", not "by A. Moore").
  const DecodedWord& cached = cache_.Decode(token, words_);
  lineLength_ += cached.characters;
  const auto nameAllowed = [this] {
    return (previousInitial_ || (pending_ != kNoPart && !ShortensWordBeforeName(pendingLetter_))) &&
           !chunkHasWord_ && before_ != Neighbour::Foreign;
  };
  const DecodedWord& decoded = afterPercent_ && cached.latin                ? Conversion()
                               : cached.nameAfterInitials && !nameAllowed() ? LatinForeignWord()
                                                                            : cached;
  afterPercent_ = false;
  WordPlace place = PlaceOfWord();
  // A control's name is no word of one letter, nor a preposition or a conjunction ("значок в
  // углу", "значок на панели").
  if (place.kind == WordPlace::kAfterControl &&
      (decoded.letters.size() <= 2 || IsFunctionWord(decoded.letters))) {
    place = WordPlace{};
  }
  // "и" and "или" join what stands before them: after a term or in a table's cell they go on
  // with its sentence ("EIO или EFAULT"), where a description would start.
  if ((place.kind == WordPlace::kColumnStart || place.kind == WordPlace::kAfterOther) &&
      (decoded.letters == "и" || decoded.letters == "или")) {
    place = WordPlace{};
  }
  const bool titleWord = decoded.latin && token.size() > 1 && token[0] >= 'A' && token[0] <= 'Z';
  const bool afterTitleWord = afterTitleWord_;
  afterTitleWord_ =
      titleWord && (decoded.kind != DecodedWord::Kind::Russian || decoded.mayBeEnglish);
  // "и" and "й" differ in the last bit of their UTF-8, small or capital.
  const bool flip = decoded.endingTwin && FlipsEnding(decoded);
  const bool oneOf = previousAsks_ == DecodedWord::Asks::OneOf && decoded.letters == "из";
  previousAsks_ = oneOf                                        ? DecodedWord::Asks::EndingShortI
                  : decoded.kind == DecodedWord::Kind::Russian ? decoded.asks
                                                               : DecodedWord::Asks::Nothing;
  previousContext_ =
      decoded.kind == DecodedWord::Kind::Russian ? decoded.twinContext : nothingBefore_;
  if (previousAsks_ == DecodedWord::Asks::IfAdjective ||
      previousAsks_ == DecodedWord::Asks::IfNoun) {
    previousLetters_ = decoded.letters;
  }
  if (flip) {
    twin_ = decoded;
    twin_.letters.back() = static_cast<char>(twin_.letters.back() ^ 1);
    MarkRoles(twin_);
  }
  // A word in capitals after a preposition or an adjective that takes the genitive gets
  // back the "А" of its genitive that vanished: "из ФАЙЛА", "этого СИГНАЛА".
  const bool genitive =
      decoded.finalATwin && previousGenitive_ && decoded.spellings == DecodedWord::kCapitals;
  previousGenitive_ = decoded.asksGenitive;
  if (genitive) {
    twin_ = decoded;
    twin_.letters += "\xD0\xB0";
    MarkRoles(twin_);
  }
  const DecodedWord& word = flip || genitive ? twin_ : decoded;
  if (possessiveHeld_) {
    AgreePossessive(word);
  }
  const bool firstWord = !chunkHasWord_;
  const bool hyphenBefore = chunkTailSize_ == 1 && chunkTail_[0] == '-';
  // A word in angle brackets stands for what is to be filled in ("<имя файла>"), which is
  // written small wherever it stands, and shows nothing of how the text writes its words.
  const bool placeholder = chunkTailSize_ > 0 && chunkTail_[chunkTailSize_ - 1] == '<';
  afterNumber_ = false;
  lineHasWord_ = true;
  chunkHasWord_ = true;
  sentenceStart_ = afterAbbreviation_ = afterInitial_ = false;
  chunkTailSize_ = 0;
  if (word.kind != DecodedWord::Kind::Russian) {
    chunkTerm_ = firstWord && lineChunks_ == 0 && token.size() > 1 &&
                 std::all_of(token.begin(), token.end(), [](char c) {
                   return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
                 });
    FollowMenuPath(firstWord, titleWord);
    afterItemWord_ = afterControl_ = false;
    wroteCapitals_ = lastWordInCapitals_ = false;
    lastWordSize_ = 0;
    lastWordName_ = false;
    chunkNumber_ = chunkNumber_ || word.kind == DecodedWord::Kind::Number;
    chunkForeign_ = chunkForeign_ || word.kind == DecodedWord::Kind::Foreign;
    // An acronym in capitals ("URL") is a name, however the word list has it.
    chunkEnglish_ = chunkEnglish_ || (word.kind == DecodedWord::Kind::Foreign &&
                                      word.listedEnglish && !IsAcronym(token));
    Add(TextTokenizer::Kind::Word, Fate::Copy, 0, token, {});
    return;
  }

  // Words whose look-alikes show their case teach what this text does at such places: a
  // word that can only be small or only capitalised about first letters, one that can only
  // be in capitals, or only not, about runs of capitals.
  const std::uint8_t spellings = word.spellings;
  // A description whose first word leaves its case open may yet show it by how it ends.
  if (place.kind == WordPlace::kDescription) {
    descriptionOpen_ = (spellings & DecodedWord::kSmall) && (spellings & DecodedWord::kTitle);
  }
  const bool afterCapitals = place.kind == WordPlace::kInSentence && place.detail == 1;
  if (!word.properNoun && !word.mayBeEnglish && !placeholder) {
    const bool oneLetter = word.letters.size() == 2;
    if (spellings == DecodedWord::kSmall ||
        spellings ==
            (oneLetter ? DecodedWord::kTitle | DecodedWord::kCapitals : DecodedWord::kTitle)) {
      cases_->LearnFirst(place, spellings != DecodedWord::kSmall);
      // Outside a sentence, a word of the line's first chunk opens the line.
      if (lineChunks_ == 0 && place.kind != WordPlace::kInSentence &&
          lineFirstCase_ == CaseModel::kUnshown) {
        lineFirstCase_ = spellings != DecodedWord::kSmall;
      }
    }
    if (!oneLetter &&
        (spellings == DecodedWord::kCapitals || spellings == DecodedWord::kTitle ||
         (afterCapitals && spellings != 0 && (spellings & DecodedWord::kCapitals) == 0))) {
      cases_->LearnCapitals(place, spellings == DecodedWord::kCapitals);
    }
  }
  // A control's noun stays small inside a sentence, even where names stand, as in a menu
  // path ("Формат - Символы - вкладка Шрифт").
  afterControl_ = word.namesControl;
  DecodedWord::Spelling spelling = DecodedWord::kSmall;
  // A line indented to the column of the line before goes on with the sentence there, as an
  // option's description does, unless that line ended on punctuation; so does a term that
  // starts a hard-wrapped line. Both still teach what the text does at their places.
  const bool goesOn = (place.kind == WordPlace::kLineStart && lineIndent_ == previousColumn_ &&
                       (IsLetterOrDigit(previousEnd_) || previousEnd_ == ',')) ||
                      (place.kind == WordPlace::kColumnStart && termInSentence_ && !chunkAfterGap_);
  if ((goesOn || placeholder || (afterControl_ && place.kind == WordPlace::kAfterDash)) &&
      (spellings & DecodedWord::kSmall)) {
    spelling = DecodedWord::kSmall;
  } else if (afterCapitals && (spellings & DecodedWord::kCapitals) && cases_->InCapitals(place)) {
    // A run of capitals goes on ("ДВОЙНАЯ ЛИНИЯ ВНИЗ И ВПРАВО") where this text's runs do.
    spelling = DecodedWord::kCapitals;
  } else if (spellings != 0 && spellings != DecodedWord::kSmall &&
             ((spellings & DecodedWord::kSmall) == 0 || cases_->Capitalised(place))) {
    const bool both = (spellings & DecodedWord::kTitle) && (spellings & DecodedWord::kCapitals);
    // Headings in capitals stand at a line's start: a sentence that starts inside a line
    // after one in small letters is no heading ("диапазоном. Эти операции").
    const bool heading =
        place.kind != WordPlace::kSentenceStart || !lineHasWord_ || lastWordInCapitals_;
    spelling = both ? (word.letters.size() > 2 && heading && cases_->InCapitals(place)
                           ? DecodedWord::kCapitals
                           : DecodedWord::kTitle)
               : (spellings & DecodedWord::kTitle) ? DecodedWord::kTitle
                                                   : DecodedWord::kCapitals;
  }
  // After a command to choose or open ("Выберите Лист - Удалить лист"), a menu path's second
  // item takes its capital though it shows none, and with it the first; once a path has shown
  // itself, each item after a dash takes one ("Лист - Заполнить - Заполнить вверх").
  if (menuHeld_ || menuPath_) {
    const bool nextItem = menuHeld_
                              ? menuStep_ == MenuStep::NextItem && menuAfterCommand_
                              : place.kind == WordPlace::kAfterDash && PartsMenuItems(chunkEnd_);
    if (nextItem && firstWord && !afterControl_ && spelling == DecodedWord::kSmall &&
        (spellings & DecodedWord::kTitle) && word.letters.size() > 2) {
      spelling = DecodedWord::kTitle;
    }
    menuPath_ = menuPath_ || (menuStep_ == MenuStep::NextItem && firstWord &&
                              spelling != DecodedWord::kSmall && word.letters.size() > 2);
  }
  const bool capitalItem = spelling != DecodedWord::kSmall && word.letters.size() > 2;
  FollowMenuPath(firstWord, capitalItem);
  chunkTerm_ = false;
  // A small word that could as well be capitalised may be the first item of a menu path,
  // which the dash and the item after it will show ("Выберите Формат - Ячейки"); after a
  // capitalised word inside a sentence it more likely ends an item ("Панели инструментов").
  if (firstWord && spelling == DecodedWord::kSmall && (spellings & DecodedWord::kTitle) &&
      word.letters.size() > 2 && !afterItemWord_ &&
      (place.kind == WordPlace::kInSentence || place.kind == WordPlace::kAfterDash)) {
    menuHeld_ = true;
    menuStep_ = MenuStep::WordEnds;
    menuItem_ = HeldPart(word);
    menuOut_ = outSize_;
    menuAfterCommand_ = afterRussianWord_ && chunkEnd_ == U'a' && lastWordCommand_;
  }
  afterItemWord_ = spelling != DecodedWord::kSmall && place.kind != WordPlace::kSentenceStart &&
                   place.kind != WordPlace::kLineStart;
  // A one-letter word in a run of capitals ("И") carries the run on.
  wroteCapitals_ = spelling == DecodedWord::kCapitals && (word.letters.size() > 2 || afterCapitals);
  lastWordInCapitals_ = spelling == DecodedWord::kCapitals;
  lineHasProse_ = lineHasProse_ || (spelling != DecodedWord::kCapitals && !word.latin);
  KeepLastWord(word.letters, word.politeCommand);
  lastWordCapital_ = spelling != DecodedWord::kSmall;
  lastWordStarts_ = place.kind == WordPlace::kSentenceStart;
  lastWordName_ = lastWordCapital_ && word.letters.size() > 2 &&
                  (word.properNoun || place.kind == WordPlace::kInSentence);
  chunkStartsWithName_ = firstWord && lastWordCapital_ && word.letters.size() > 2 &&
                         (word.properNoun || (spellings & DecodedWord::kSmall) == 0);
  // A letter alone whose look-alike may be a capital may be an initial, once its chunk shows
  // a full stop after it.
  const std::uint8_t initial =
      word.letters.size() == 2 && (spellings & DecodedWord::kCapitals) ? kMayBeInitial : 0;
  const std::string_view spelled = spelling == DecodedWord::kSmall || word.spellings == 0
                                       ? std::string_view(word.letters)
                                       : Spell(word, spelling);

  if (word.possessiveTwin) {
    possessiveHeld_ = true;
    // So does a possessive, till the word after it shows which ending it takes.
    possessiveItem_ = HeldPart(word);
    possessiveOut_ = outSize_ + spelled.size() - 1;
  }
  if (!word.latin) {
    chunkRussian_ = true;
    Add(TextTokenizer::Kind::Word, initial ? Fate::Joined : Fate::Decode,
        initial ? initial | kAlwaysRussian : 0, token, spelled);
    return;
  }
  // An English word with a capital inside a sentence ("He", "To") is seldom English there,
  // where the Russian word's small letters look so ("не", "то"), unless it goes on a run of
  // English words in Title Case ("Fails To Build").
  const bool capitalMidSentence = word.listedEnglish && place.kind == WordPlace::kInSentence &&
                                  titleWord && !afterTitleWord && spelling == DecodedWord::kSmall;
  // Latin letters wait for the rest of their chunk, which may show that they are code.
  Add(TextTokenizer::Kind::Word, Fate::Joined,
      (word.mayBeEnglish && !capitalMidSentence ? kMayBeEnglish : 0) |
          (word.strayLetter ? kStrayLetter : 0) | initial |
          (word.characters == 1 || IsAcronym(token) ? kCodeShaped : 0) |
          (hyphenBefore && !firstWord ? kAfterHyphen : 0),
      token, spelled);
}

// The part that a word held till the words after it decide holds, or kNoPart: a Russian word
// that nothing before it waits for is written at once, and waits in the output instead.
inline std::size_t Utf8StreamDecoder::HeldPart(const DecodedWord& word) const {
  return !word.latin && parts_.empty() ? kNoPart : parts_.size();
}

// The letters of `word` spelled as `spelling` asks, which is not small letters.
std::string_view Utf8StreamDecoder::Spell(const DecodedWord& word, DecodedWord::Spelling spelling) {
  if (spelling == DecodedWord::kTitle && word.letters.size() >= 2) {
    // The commonest spelling but small letters: the letters, every one two bytes, with the
    // first made a capital in place.
    spelled_.assign(word.letters);
    CapitaliseRussianLetter(spelled_.data());
  } else {
    spelled_.clear();
    AppendSpelled(word, spelling, spelled_);
  }
  return spelled_;
}

// Keeps a part with those that wait for a decision.
void Utf8StreamDecoder::Hold(TextTokenizer::Kind kind, Fate fate, std::uint8_t word,
                             std::string_view text, std::string_view decoded) {
  chunkMayHoldInitial_ = chunkMayHoldInitial_ || (word & (kMayBeInitial | kLoneStop)) != 0;
  text_ += text;
  if (fate != Fate::Copy) {
    decoded_ += decoded;
  }
  // A space that comes in several pieces is one part, as it is when it comes whole: how the
  // text is cut must not bring the bound on waiting parts nearer.
  if (kind == TextTokenizer::Kind::Space && !parts_.empty() &&
      parts_.back().kind == TextTokenizer::Kind::Space) {
    parts_.back().textEnd = static_cast<std::uint32_t>(text_.size());
  } else {
    parts_.push_back({kind, fate, word, static_cast<std::uint32_t>(text_.size()),
                      static_cast<std::uint32_t>(decoded_.size())});
  }
  open_ += fate == Fate::Open || fate == Fate::Joined ? 1 : 0;
  // A run too long to wait for its neighbours is settled as if the text ended there.
  if (text_.size() + decoded_.size() > kMaxHeldBytes || parts_.size() > kMaxHeldPieces) {
    EndChunk();
    pending_ = kNoPart;
    ReleaseMenuItem();
    possessiveHeld_ = false;
    chunkStart_ = parts_.size();
    Settle(Neighbour::None);
  }
}

// Inline, as the tokenizer's loop reaches it for every space between words.
inline void Utf8StreamDecoder::TakeSpace(std::string_view bytes) {
  // A space ends the chunk before it once, however many parts it comes in: a second end
  // would find the chunk empty and forget what ended the real one.
  if (!inSpace_) {
    EndChunk();
  }
  if (bytes.size() == 1 && bytes[0] == ' ') {
    // Most spaces are one, inside a line.
    ++(lineHasText_ ? lineLength_ : lineIndent_);
    ++spaceRun_;
  } else {
    CountSpaces(bytes);
  }
  // A blank line starts a paragraph, and with it a sentence.
  if (blankLines_ > 0) {
    EndSentence();
    paragraphStarts_ = true;
  }
  Add(TextTokenizer::Kind::Space, Fate::Copy, 0, bytes, {});
  // The space belongs to no chunk: the next one starts with whatever follows it, so that a
  // dash there starts an option ("-o").
  chunkHasPart_ = false;
  inSpace_ = true;
}

// Counts spaces into the line's indent or length and its gap; a line end passes the line's
// layout on as the one before, and lets a held menu item go, as a menu path stands on one
// line.
inline void Utf8StreamDecoder::CountSpaces(std::string_view bytes) {
  for (const char c : bytes) {
    if (c == '\n') {
      ReleaseMenuItem();
      if (lineHasText_) {
        previousLength_ = lineLength_;
        previousIndent_ = lineIndent_;
        previousEnd_ = lineEnd_;
        cases_->SetLineBefore(lineFirstCase_);
        previousNamesOption_ = lineOpensWithOption_ && !lineHasProse_;
        // A line at the column of the one before carries the column on to the next.
        previousColumn_ =
            lineColumn_ >= 0 || lineIndent_ != previousColumn_ ? lineColumn_ : previousColumn_;
        recentLongest_ = std::max(recentLongest_ * 0.9f, static_cast<float>(lineLength_));
        blankLines_ = 0;
      } else {
        ++blankLines_;
      }
      lineHasText_ = lineHasWord_ = lineStartsWithDash_ = false;
      lineOpensWithOption_ = lineHasProse_ = menuPath_ = false;
      lineFirstCase_ = CaseModel::kUnshown;
      lineColumn_ = -1;
      lineLength_ = lineIndent_ = spaceRun_ = lineRules_ = lineChunks_ = 0;
    } else if (!IsContinuation(c)) {
      (lineHasText_ ? lineLength_ : lineIndent_) += c == '\t' ? 8 : 1;
      spaceRun_ += c == '\t' ? 3 : 1;
    }
  }
}

// What a token that is no space tells of its line; its length is counted by TakeWord and
// TakeOther, as a word's is known once it has been decoded. Inline, as the tokenizer's loop
// reaches it for nearly every token.
inline void Utf8StreamDecoder::CountLine(std::string_view bytes) {
  if (!lineHasText_) {
    lineStartsWithDash_ = IsDash(FirstCharacter(bytes));
  }
  // Text after a wide gap inside a line starts a column, as an option's description does.
  if (!chunkHasPart_) {
    chunkAfterGap_ = lineHasText_ && spaceRun_ >= 3;
    if (chunkAfterGap_ && lineColumn_ < 0) {
      lineColumn_ = lineIndent_ + lineLength_;
    }
  }
  spaceRun_ = 0;
  lineHasText_ = true;
  blankLines_ = 0;
  lineEnd_ = LastCharacter(bytes);
}

// The chunk of text between two spaces has ended: its open words are left to the sentence,
// and its last characters tell how the next word stands.
void Utf8StreamDecoder::EndChunk() {
  if (!chunkHasPart_) {
    return;
  }
  ResolveChunk();
  chunkStart_ = parts_.size();
  // Most chunks end on a word: a letter.
  chunkEnd_ = chunkTailSize_ == 0 ? U'a' : EndOfTail();
  previousWasDash_ = IsDash(chunkEnd_) && !chunkHasWord_;
  // A line that starts with a term in Latin capitals ("EINVAL") goes on with its description,
  // or, after a long line at its indent that ends in a letter or a comma, with a hard-wrapped
  // sentence: "то сигнал\nSIGHUP посылается каждому процессу".
  afterTerm_ = chunkTerm_ && chunkEnd_ == U'a';
  termInSentence_ = afterTerm_ && lineIndent_ == previousIndent_ && LongLineBefore() &&
                    (IsLetterOrDigit(previousEnd_) || previousEnd_ == ',');
  if (lineChunks_ == 0) {
    lineOpensWithOption_ = (chunkOption_ || chunkOptionValue_) && chunkHasWord_;
    // The description before ends where the next option starts: a full stop shows that this
    // text describes its options in sentences, which start with a capital, a letter that it
    // writes them small.
    if (lineOpensWithOption_ && descriptionOpen_) {
      descriptionOpen_ = false;
      if (EndsSentence(previousEnd_) || IsLetterOrDigit(previousEnd_)) {
        cases_->LearnFirst(WordPlace{WordPlace::kDescription}, EndsSentence(previousEnd_));
      }
    }
  }
  chunkTerm_ = false;
  ++lineChunks_;
  previousName_ = lastWordSize_ > 0 && lastWordName_ && chunkEnd_ == U'a';
  previousInitial_ = false;
  previousOther_ = chunkNumber_ || chunkForeign_;
  afterRussianWord_ = lastWordSize_ > 0;
  if (menuHeld_) {
    // The held word goes on waiting while its chunk is the word alone, and the next one a
    // dash alone; anything else lets it go as it is.
    if (menuStep_ == MenuStep::WordEnds && chunkEnd_ == U'a') {
      menuStep_ = MenuStep::DashEnds;
    } else if (menuStep_ == MenuStep::DashEnds && previousWasDash_ && PartsMenuItems(chunkEnd_)) {
      menuStep_ = MenuStep::NextItem;
    } else {
      ReleaseMenuItem();
    }
  }
  if (EndsSentence(chunkEnd_)) {
    EndChunkOnStop();
  }
  chunkHasPart_ = chunkHasWord_ = chunkOpening_ = chunkOption_ = chunkOptionValue_ = false;
  chunkForeign_ = chunkEnglish_ = chunkRussian_ = chunkNumber_ = false;
  afterNumber_ = afterPercent_ = false;
  chunkInitials_ = false;
  chunkStartsWithName_ = chunkMayHoldInitial_ = false;
  chunkTailSize_ = 0;
  lastWordSize_ = 0;
}

// The punctuation that ends the chunk, closing quotes and brackets aside; a letter when
// there is none.
char32_t Utf8StreamDecoder::EndOfTail() const {
  std::string_view tail = ChunkTail();
  while (!tail.empty() && IsClosing(LastCharacter(tail))) {
    do {
      tail.remove_suffix(1);
    } while (!tail.empty() && IsContinuation(tail.back()));
    if (!tail.empty() && static_cast<unsigned char>(tail.back()) >= 0xC0) {
      tail.remove_suffix(1);
    }
  }
  return tail.empty() ? U'a' : LastCharacter(tail);
}

// The chunk ends on a full stop or the like, which ends its sentence unless it shortens the
// word before it.
void Utf8StreamDecoder::EndChunkOnStop() {
  const bool shortened = ChunkTail() == "." && lastWordSize_ > 0;
  const bool capitalLetter = shortened && lastWordCapital_ && CountUtf8Characters(LastWord()) == 1;
  // A capital letter with a full stop inside a sentence is an initial ("Д. П."), even one
  // that abbreviations end on; at a sentence's start it may be "Т. е.".
  if (capitalLetter && (chunkInitials_ || !lastWordStarts_)) {
    afterInitial_ = previousInitial_ = true;
  } else if (shortened && IsAbbreviation(LastWord())) {
    afterAbbreviation_ = true;
  } else if (capitalLetter) {
    afterInitial_ = true;
  } else {
    EndSentence();
  }
}

// Decides the chunk's Latin words by what is joined to them: a foreign word, a number or an
// option's dash makes them code, a Russian word Russian; a stray letter is Russian only
// before its full stop. Words that may still be English are left to their neighbours, and
// a chunk that decided something settles the undecided run before it.
inline void Utf8StreamDecoder::ResolveChunk() {
  // Most chunks were written as they came, with nothing before them waiting: they have only
  // their neighbour to tell.
  if (parts_.empty()) {
    chunkInitials_ = false;
    if (chunkRussian_ || chunkEnglish_) {
      before_ = chunkRussian_ ? Neighbour::Russian : Neighbour::Foreign;
      codeBefore_ = false;
    } else if (chunkForeign_) {
      codeBefore_ = true;
    }
    return;
  }
  ResolveParts();
}

void Utf8StreamDecoder::ResolveParts() {
  bool russian = chunkRussian_;
  // Most chunks hold no letter nor full stop that may be an initial, and nothing waits for
  // them: they need no look for initials. Nor does a chunk that ends on no punctuation, as a
  // word of one letter alone does ("в"): initials end on their full stop.
  const bool initials =
      (pending_ != kNoPart || (chunkMayHoldInitial_ && chunkTailSize_ > 0)) && DecideInitials();
  chunkInitials_ = initials;
  lastWordCapital_ = lastWordCapital_ || initials;
  for (std::size_t i = chunkStart_; i < parts_.size(); ++i) {
    Part& part = parts_[i];
    if (part.fate != Fate::Joined) {
      continue;
    }
    if (initials && (part.word & kMayBeInitial)) {
      CapitaliseLetter(i);
    }
    if (part.word & (kAlwaysRussian | kLoneStop)) {
      part.fate = Fate::Decode;
      --open_;
      continue;
    }
    const bool abbreviated = i + 1 < parts_.size() &&
                             parts_[i + 1].kind == TextTokenizer::Kind::Punctuation &&
                             text_[part.textEnd] == '.';
    // A letter alone as an option's value is code ("--lang=C").
    const std::uint32_t begin = i > 0 ? parts_[i - 1].textEnd : 0;
    const bool valueLetter = chunkOptionValue_ && part.textEnd - begin == 1;
    // A Russian word that is no English one, joined by a hyphen, names what the code or term
    // before it is ("IP-адрес", "ABI-версией"): it is Russian whatever is joined to it, except
    // inside an option's name ("-mfix-loongson2f-nop").
    const bool namesCode =
        (part.word & (kAfterHyphen | kMayBeEnglish | kStrayLetter)) == kAfterHyphen &&
        part.textEnd - begin >= 3 && !chunkOption_;
    if (namesCode) {
      part.fate = Fate::Decode;
      russian = true;
      --open_;
    } else if (chunkForeign_ || chunkNumber_ || chunkOption_ || valueLetter ||
               ((part.word & kStrayLetter) && !abbreviated)) {
      part.fate = Fate::Copy;
      --open_;
    } else if (chunkRussian_ || !(part.word & (kMayBeEnglish | kStrayLetter))) {
      part.fate = Fate::Decode;
      russian = true;
      --open_;
    } else {
      part.fate = Fate::Open;
    }
  }
  const Neighbour signal = russian         ? Neighbour::Russian
                           : chunkEnglish_ ? Neighbour::Foreign
                                           : Neighbour::None;
  if (signal != Neighbour::None) {
    Settle(signal);
    before_ = signal;
    return;
  }
  // A name or code leaves an undecided run waiting for the prose past it.
  if (chunkForeign_) {
    (open_ > 0 ? codeAfter_ : codeBefore_) = true;
  }
  if (open_ == 0) {
    WriteThrough(parts_.size());
  }
}

// The small letters of a chunk of letters with full stops ("А.", "Л.Н."), which may be
// initials; empty for any other chunk.
std::string Utf8StreamDecoder::ChunkInitialLetters() const {
  std::string letters;
  bool fullStopDue = false;
  for (std::size_t i = chunkStart_; i < parts_.size(); ++i) {
    const Part& part = parts_[i];
    const std::uint32_t textBegin = i > 0 ? parts_[i - 1].textEnd : 0;
    if (part.kind == TextTokenizer::Kind::Word) {
      const std::uint32_t decodedBegin = i > 0 ? parts_[i - 1].decodedEnd : 0;
      if (fullStopDue || part.fate != Fate::Joined || !(part.word & kMayBeInitial) ||
          part.decodedEnd - decodedBegin != 2) {
        return {};
      }
      AppendSmallLetter(std::string_view(decoded_).substr(decodedBegin, 2), letters);
      fullStopDue = true;
    } else if (part.kind == TextTokenizer::Kind::Punctuation) {
      if (fullStopDue && text_[textBegin] != '.') {
        return {};
      }
      fullStopDue = false;
    } else if (part.kind != TextTokenizer::Kind::Space) {
      return {};
    }
  }
  return fullStopDue ? std::string() : letters;
}

// Whether the chunk holds initials: letters run together unless they shorten words as "т.е."
// does; a letter alone beside a name or another initial, or inside a sentence when it is no
// letter that abbreviations end on. Such a letter ("Н.") waits for the next chunk: another
// initial after it ("Н. В.") makes both initials, unless the two shorten words ("т. е.").
bool Utf8StreamDecoder::DecideInitials() {
  const std::size_t stop = LoneStop();
  std::string letters;
  if (stop == kNoPart) {
    letters = ChunkInitialLetters();
  } else {
    AppendSmallLetter(words_.VanishedInitial(), letters);
  }
  bool initials = false;
  if (stop != kNoPart) {
    // No rule of letters alone: only a name or an initial beside it makes it one.
    initials = previousInitial_ || previousName_ ||
               (pending_ != kNoPart && !IsAbbreviationRun(pendingLetter_ + letters));
  } else if (letters.size() > 2) {
    initials = !IsAbbreviationRun(letters);
  } else if (!letters.empty()) {
    initials = previousInitial_ || previousName_ ||
               (!previousOther_ && !IsAbbreviationLetter(letters)) ||
               (pending_ != kNoPart && !IsAbbreviationRun(pendingLetter_ + letters));
  }
  if (pending_ != kNoPart) {
    // A name after the letter makes it an initial too, unless the letter shortens a word
    // that stands before names.
    const bool beforeName = !initials && chunkStartsWithName_ && letters.empty() &&
                            !ShortensWordBeforeName(pendingLetter_);
    if ((initials || beforeName) && pendingStop_) {
      PutBackInitial(pending_);
    } else if (initials || beforeName) {
      CapitaliseLetter(pending_);
    }
    pending_ = kNoPart;
  }
  if (stop != kNoPart && initials) {
    PutBackInitial(stop);
    KeepLastWord(letters, false);
  } else if (stop != kNoPart) {
    pending_ = stop;
    pendingStop_ = true;
    pendingLetter_ = letters;
  } else if (letters.size() == 2 && !initials && !previousOther_) {
    for (std::size_t i = chunkStart_; i < parts_.size(); ++i) {
      if (parts_[i].kind == TextTokenizer::Kind::Word) {
        pending_ = i;
        pendingStop_ = false;
        pendingLetter_ = letters;
      }
    }
  }
  return initials;
}

// The chunk's part when the chunk is a full stop alone that may be an initial; kNoPart if not.
std::size_t Utf8StreamDecoder::LoneStop() const {
  std::size_t stop = kNoPart;
  for (std::size_t i = chunkStart_; i < parts_.size(); ++i) {
    if (parts_[i].kind == TextTokenizer::Kind::Space) {
      continue;
    }
    if (stop != kNoPart || !(parts_[i].word & kLoneStop)) {
      return kNoPart;
    }
    stop = i;
  }
  return stop;
}

// Writes the vanished capital before the full stop of `part`.
void Utf8StreamDecoder::PutBackInitial(std::size_t part) {
  const std::uint32_t begin = part > 0 ? parts_[part - 1].decodedEnd : 0;
  const std::string& letter = words_.VanishedInitial();
  decoded_.insert(begin, letter);
  for (std::size_t i = part; i < parts_.size(); ++i) {
    parts_[i].decodedEnd += static_cast<std::uint32_t>(letter.size());
  }
}

void Utf8StreamDecoder::CapitaliseLetter(std::size_t part) {
  const std::uint32_t begin = part > 0 ? parts_[part - 1].decodedEnd : 0;
  DecodedWord letter;
  letter.spellings = DecodedWord::kCapitals;
  letter.letters = decoded_.substr(begin, parts_[part].decodedEnd - begin);
  spelled_.clear();
  AppendSpelled(letter, DecodedWord::kCapitals, spelled_);
  decoded_.replace(begin, spelled_.size(), spelled_);
}

// The words of one sentence are one language's: a run of undecided words at its end is
// settled by what came before, and the next sentence starts without neighbours.
void Utf8StreamDecoder::EndSentence() {
  ReleaseMenuItem();
  menuPath_ = false;
  possessiveHeld_ = false;
  chunkStart_ = parts_.size();
  Settle(Neighbour::None);
  before_ = Neighbour::None;
  sentenceStart_ = true;
  afterAbbreviation_ = afterInitial_ = false;
  wroteCapitals_ = termAside_ = paragraphStarts_ = false;
  previousAsks_ = DecodedWord::Asks::Nothing;
  previousContext_ = nothingBefore_;
}

// The undecided run before the chunk is decoded unless an English word stands on one side of
// it and no Russian word on the other; then it is written out. Names and code beside the run
// are passed over to the prose beyond them, but leave it English when nothing is beyond
// them ("Linux on ARM"), or when English prose follows them ("в Linux on the ARM").
void Utf8StreamDecoder::Settle(Neighbour after) {
  // Most sentences end with nothing undecided.
  if (open_ > 0) {
    const bool russian = after == Neighbour::Russian ||
                         (after == Neighbour::Foreign
                              ? before_ == Neighbour::Russian && !codeBefore_
                              : before_ == Neighbour::Russian ||
                                    (before_ == Neighbour::None && !codeBefore_ && !codeAfter_));
    // A letter alone or an acronym ("PC", "DO") is as likely code as the code beside it: only
    // a Russian word right beside it makes it Russian.
    const bool nextToRussian =
        (before_ == Neighbour::Russian && !codeBefore_) ||
        (after == Neighbour::Russian && !codeAfter_) ||
        (before_ == Neighbour::None && after == Neighbour::None && !codeBefore_ && !codeAfter_);
    for (std::size_t i = 0; i < chunkStart_; ++i) {
      if (parts_[i].fate == Fate::Open) {
        const bool decode = parts_[i].word & kCodeShaped ? nextToRussian : russian;
        parts_[i].fate = decode ? Fate::Decode : Fate::Copy;
        --open_;
      }
    }
  }
  // Whatever settles the run is the neighbour of the next: a word, or nothing at all.
  codeBefore_ = codeAfter_ = false;
  WriteThrough(open_ == 0 ? parts_.size() : chunkStart_);
}

// Writes the first `count` parts, which are decided, and forgets them.
void Utf8StreamDecoder::WriteThrough(std::size_t count) {
  count = std::min(count, pending_);
  std::uint32_t textAt = 0;
  std::uint32_t decodedAt = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const Part& part = parts_[i];
    if (i == menuItem_) {
      // The held word goes to the output, where it may still take its capital.
      menuItem_ = kNoPart;
      menuHeld_ = part.fate == Fate::Decode;
      menuOut_ = outSize_;
    }
    if (i == possessiveItem_) {
      possessiveItem_ = kNoPart;
      possessiveHeld_ = possessiveHeld_ && part.fate == Fate::Decode;
      possessiveOut_ = outSize_ + (part.decodedEnd - decodedAt) - 1;
    }
    if (part.fate == Fate::Decode) {
      Write(std::string_view(decoded_).substr(decodedAt, part.decodedEnd - decodedAt));
    } else {
      Write(std::string_view(text_).substr(textAt, part.textEnd - textAt));
    }
    textAt = part.textEnd;
    decodedAt = part.decodedEnd;
  }
  if (count == parts_.size()) {
    // Most often every part goes: nothing is left to move down.
    parts_.clear();
    text_.clear();
    decoded_.clear();
  } else {
    parts_.erase(parts_.begin(), parts_.begin() + static_cast<std::ptrdiff_t>(count));
    text_.erase(0, textAt);
    decoded_.erase(0, decodedAt);
    for (Part& part : parts_) {
      part.textEnd -= textAt;
      part.decodedEnd -= decodedAt;
    }
  }
  chunkStart_ -= std::min(chunkStart_, count);
  if (pending_ != kNoPart) {
    pending_ -= count;
  }
  if (menuItem_ != kNoPart) {
    menuItem_ -= count;
  }
  if (possessiveItem_ != kNoPart) {
    possessiveItem_ -= count;
  }
}

// A word that may start a menu path meets the first word after the dash: a capital there
// makes the path's items all capitalised, the held word too. Any other word lets it go.
void Utf8StreamDecoder::FollowMenuPath(bool firstWord, bool capital) {
  if (!menuHeld_) {
    return;
  }
  if (menuStep_ == MenuStep::NextItem && firstWord && capital) {
    if (menuItem_ != kNoPart) {
      const std::uint32_t begin = menuItem_ > 0 ? parts_[menuItem_ - 1].decodedEnd : 0;
      CapitaliseRussianLetter(decoded_.data() + begin);
    } else {
      CapitaliseRussianLetter(out_.data() + menuOut_);
    }
  }
  ReleaseMenuItem();
}

// Whether a twin in "-ии" or "-ий" takes the other ending for what the word before asks. A
// noun in "-ие" takes "-ии" only where the word before asks for it. A preposition asks for
// "-ии" alone, not for "-аи" or "-еи": "на случай" is accusative.
bool Utf8StreamDecoder::FlipsEnding(const DecodedWord& decoded) const {
  // What the counts of text say after the word before decides where they say enough.
  const bool shortI = (static_cast<unsigned char>(decoded.letters.back()) & 1) != 0;
  if (const std::optional<bool> counted =
          TwinContexts::BuiltIn().PrefersShortI(static_cast<TwinContexts::Kind>(decoded.twinKind),
                                                previousContext_, decoded.shortIOdds)) {
    return *counted != shortI;
  }
  using Asks = DecodedWord::Asks;
  Asks asked = previousAsks_;
  if (asked == Asks::IfAdjective) {
    asked = words_.IsAdjective(previousLetters_) ? Asks::EndingI : Asks::Unmarked;
  } else if (asked == Asks::IfNoun) {
    asked = words_.IsNoun(previousLetters_) ? Asks::CountedShortI : Asks::Unmarked;
  } else if (asked == Asks::OneOf) {
    asked = Asks::Unmarked;
  }
  const std::string_view letters = decoded.letters;
  const bool settled = asked == Asks::CountedShortI ? decoded.countedTwin
                       : asked == Asks::Unmarked    ? decoded.neuterTwin
                       : asked == Asks::PlaceI ? letters.substr(letters.size() - 4, 2) == "\u0438"
                                               : asked != Asks::Nothing;
  const bool wantsShortI = asked != Asks::EndingI && asked != Asks::PlaceI;
  return settled && ((static_cast<unsigned char>(letters.back()) & 1) != 0) != wantsShortI;
}

// Lets the held word go as it is written: the output may be handed on past it.
void Utf8StreamDecoder::ReleaseMenuItem() {
  menuHeld_ = false;
  menuItem_ = kNoPart;
}

// A possessive agrees with the word after it: "свои" before a plural's vowel ("свои файлы",
// "свои общие"), "свой" before a singular's consonant, "й" or "ь" ("свой файл", "свой
// путь"). Any other word leaves the frequencies' choice.
void Utf8StreamDecoder::AgreePossessive(const DecodedWord& next) {
  possessiveHeld_ = false;
  if (next.kind != DecodedWord::Kind::Russian || next.letters.size() < 4) {
    return;
  }
  static constexpr std::array<std::string_view, 5> kPluralEnds = {"ы", "и", "е", "а", "я"};
  static constexpr std::array<std::string_view, 5> kOtherVowels = {"о", "у", "ю", "ё", "э"};
  const std::string_view end = std::string_view(next.letters).substr(next.letters.size() - 2);
  bool plural = std::find(kPluralEnds.begin(), kPluralEnds.end(), end) != kPluralEnds.end();
  if (!plural && std::find(kOtherVowels.begin(), kOtherVowels.end(), end) != kOtherVowels.end()) {
    return;
  }
  char& last = possessiveItem_ != kNoPart ? decoded_[parts_[possessiveItem_].decodedEnd - 1]
                                          : out_[possessiveOut_];
  // "и" and "й" differ in the last bit of their UTF-8, small or capital.
  const bool shortI = (static_cast<unsigned char>(last) & 1) != 0;
  if (shortI == plural) {
    last = static_cast<char>(last ^ 1);
  }
}

inline WordPlace Utf8StreamDecoder::PlaceOfWord() const {
  WordPlace place;
  if (chunkNumber_ && !chunkHasWord_ && ChunkTail() == "-") {
    // A number's ending or the rest of a compound ("2-я", "16-битный") is never capitalised,
    // even where the number starts a sentence.
    place.kind = WordPlace::kInSentence;
    place.detail = wroteCapitals_ ? 1 : 0;
  } else if (sentenceStart_) {
    place.kind = WordPlace::kSentenceStart;
    // A sentence that starts a line as the line before started, after a line that the text
    // did not wrap, shows as such line starts do how this text starts its lines.
    place.detail = lineChunks_ == 0 && !paragraphStarts_ && previousLength_ > 0 &&
                   lineIndent_ == previousIndent_ && !lineStartsWithDash_ && !LongLineBefore();
  } else if (afterAbbreviation_) {
    place.kind = WordPlace::kAfterAbbreviation;
  } else if (afterInitial_) {
    place.kind = WordPlace::kAfterInitial;
  } else if (chunkHasWord_) {
    place.kind = WordPlace::kInSentence;
  } else if (!lineHasWord_ && lineChunks_ == 0 && chunkOpening_ && !chunkQuote_) {
    // A line that opens with a bracket goes on with the sentence as a bracket inside a line
    // does: "(по умолчанию ...)" under an option.
    place.kind = WordPlace::kAfterOpening;
  } else if (!lineHasWord_ && previousLength_ > 0) {
    place.kind = WordPlace::kLineStart;
    const int end = previousEnd_ == ':'                          ? WordPlace::kEndsInColon
                    : previousEnd_ == ',' || previousEnd_ == ';' ? WordPlace::kEndsInComma
                    : IsLetterOrDigit(previousEnd_)              ? WordPlace::kEndsInLetter
                                                                 : WordPlace::kEndsOther;
    const int indent = lineIndent_ == previousIndent_  ? WordPlace::kSameIndent
                       : lineIndent_ > previousIndent_ ? WordPlace::kMoreIndent
                                                       : WordPlace::kLessIndent;
    place.detail = WordPlace::LineDetail(end, indent, LongLineBefore(), lineStartsWithDash_);
    // Under an option alone on its line, the line indented further is its description.
    if (indent == WordPlace::kMoreIndent && previousNamesOption_) {
      place.kind = WordPlace::kDescription;
      place.detail = 0;
    }
  } else if ((chunkAfterGap_ || afterTerm_) && !(chunkOpening_ && !chunkQuote_)) {
    // A bracket there is an aside on the term or the option, which goes on as one inside a
    // sentence does: "ENOENT (начиная с Linux 4.11)".
    // A column after an option is its description, which starts as those under options do.
    place.kind =
        chunkAfterGap_ && lineOpensWithOption_ ? WordPlace::kDescription : WordPlace::kColumnStart;
  } else if (chunkOpening_) {
    place.kind = chunkEnd_ == ':' ? WordPlace::kAfterColonQuote : WordPlace::kAfterOpening;
    // A quote opens a title or the name of a menu item as often as a sentence; a bracket
    // mostly goes on with the sentence around it.
    place.detail = chunkQuote_ ? 1 : 0;
  } else if (chunkEnd_ == ':') {
    place.kind = WordPlace::kAfterColon;
    // A label of code or English ("%s:", "Title is:") comes before a message of its own; a
    // Russian word's colon mostly goes on with its sentence.
    place.detail = afterRussianWord_ ? 0 : 1;
  } else if (previousWasDash_) {
    place.kind = WordPlace::kAfterDash;
  } else if (chunkEnd_ != U'a' && chunkEnd_ != 0 && !IsLetterOrDigit(chunkEnd_) &&
             chunkEnd_ != ',' && chunkEnd_ != ';' && !IsClosing(chunkEnd_)) {
    place.kind = WordPlace::kAfterOther;
    // Each of a table's first columns keeps its own habit: a column of names beside one of
    // descriptions.
    place.detail = IsTableRule(chunkEnd_) ? std::min(lineRules_, 3) : 0;
  } else if (afterControl_ && chunkEnd_ == U'a') {
    place.kind = WordPlace::kAfterControl;
  } else {
    place.kind = WordPlace::kInSentence;
    place.detail = wroteCapitals_ ? 1 : 0;
  }
  return place;
}

// The line before is as long as the recent lines of wrapped text: a hard wrap ended it.
bool Utf8StreamDecoder::LongLineBefore() const {
  return recentLongest_ >= kWrappedText &&
         static_cast<float>(previousLength_) >= kLongLine * recentLongest_;
}

bool Utf8StreamDecoder::Flush() {
  // A word written that may yet take a capital stays, with what follows it, unless that has
  // grown past a flush's size.
  std::size_t end = outSize_;
  if (menuHeld_ && menuItem_ == kNoPart) {
    if (outSize_ - menuOut_ < kFlushSize) {
      end = menuOut_;
    } else {
      ReleaseMenuItem();
    }
  }
  if (possessiveHeld_ && possessiveItem_ == kNoPart) {
    if (outSize_ - possessiveOut_ < kFlushSize) {
      end = std::min(end, possessiveOut_);
    } else {
      possessiveHeld_ = false;
    }
  }
  if (end > 0 && !failed_ && !sink_->Write(std::string_view(out_.data(), end))) {
    failed_ = true;
  }
  std::memmove(out_.data(), out_.data() + end, outSize_ - end);
  outSize_ -= end;
  menuOut_ -= std::min(menuOut_, end);
  possessiveOut_ -= std::min(possessiveOut_, end);
  return !failed_;
}

}  // namespace lettermorph
