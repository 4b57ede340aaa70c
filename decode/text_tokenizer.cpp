#include "decode/text_tokenizer.h"

#include <algorithm>
#include <bit>
#include <bitset>

#include "recode/slot_letters.h"
#include "text/utf8.h"
#include "text_tokenizer_feed.h"

namespace lettermorph {

using namespace tokenizer_bytes;

namespace {

// As CharacterAt, with a character cut off by the end of the text taken as invalid bytes.
std::size_t WholeCharacterAt(std::string_view text, char32_t& code) {
  const std::size_t length = CharacterAt(text, code);
  if (length == 0) {
    code = kInvalid;
    return 1;
  }
  return length;
}

bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsAsciiDigit(char c) {
  return c >= '0' && c <= '9';
}

// The start of the character that ends `text`.
std::size_t LastCharacterStart(std::string_view text) {
  std::size_t at = text.size() - 1;
  while (at > 0 && text.size() - at < 4 && IsContinuation(static_cast<unsigned char>(text[at]))) {
    --at;
  }
  return at;
}

}  // namespace

TextTokenizer::TextTokenizer(std::span<const std::u16string> replacements)
    : masksOf64_(MasksOf64For(SupportedMaskPaths().back())) {
  for (int i = 0; i < 128; ++i) {
    const char c = static_cast<char>(i);
    ascii_[i] = IsSpace(static_cast<char32_t>(c)) ? kSpace
                : IsAsciiLetter(c)                ? kWord | kStarts | kEnds
                : IsAsciiDigit(c)                 ? kDigit
                                                  : kPunctuation;
  }
  // The table's replacements come capitals first: those in ASCII spell a word in capitals.
  if (replacements.size() == static_cast<std::size_t>(kSlotCount)) {
    for (const std::u16string& capital : replacements.first(kSlotCount / 2)) {
      if (!capital.empty() && std::all_of(capital.begin(), capital.end(), [](char16_t unit) {
            return unit > ' ' && unit < 0x7F;
          })) {
        capitals_.emplace_back(capital.begin(), capital.end());
        for (const char16_t unit : capital) {
          inCapitals_[unit] = true;
        }
      }
    }
  }
  std::u32string all;
  for (const std::u16string& replacement : replacements) {
    if (replacement.empty()) {
      continue;
    }
    if (std::any_of(replacement.begin(), replacement.end(), [](char16_t unit) {
          return unit < 0x80 && !IsAsciiLetter(static_cast<char>(unit)) &&
                 !IsAsciiDigit(static_cast<char>(unit)) && !IsSpace(unit);
        })) {
      std::string bytes;
      AppendUtf8(replacement, bytes);
      if (std::find(punctuated_.begin(), punctuated_.end(), bytes) == punctuated_.end()) {
        punctuated_.push_back(std::move(bytes));
      }
    }
    // A space in a replacement still separates words.
    for (const char16_t unit : replacement) {
      if (unit < 0x80 && ascii_[unit] != kSpace) {
        ascii_[unit] |= kWord;
      } else if (unit >= 0x80) {
        all += unit;
      }
    }
    const char16_t first = replacement.front();
    const char16_t last = replacement.back();
    if (first < 0x80 && ascii_[first] != kSpace) {
      ascii_[first] |= kStarts;
    } else if (first >= 0x80) {
      startCharacters_ += first;
    }
    if (last < 0x80 && ascii_[last] != kSpace) {
      ascii_[last] |= kEnds;
    } else if (last >= 0x80) {
      endCharacters_ += last;
    }
  }
  wordCharacters_ = all;
  for (std::u32string* set : {&wordCharacters_, &startCharacters_, &endCharacters_}) {
    std::sort(set->begin(), set->end());
    set->erase(std::unique(set->begin(), set->end()), set->end());
  }
  for (char32_t code = 0x80; code < 0x800; ++code) {
    twoBytes_[code - 0x80] = ClassBeyondAscii(code);
  }
  for (int i = 0; i < 128; ++i) {
    if (ascii_[i] & kWord) {
      inWord_[i] = kGoesOn | (i == '.' || i == ':' ? kMarks : 0) |
                   (IsAsciiDigit(static_cast<char>(i)) ? 0 : kNotDigit);
    }
    others_[i] = ascii_[i] == kDigit ? kApart
                 : IsAsciiDigit(static_cast<char>(i))
                     ? 0
                     : (ascii_[i] & kWord ? kJoins : 0) | (i == '.'   ? kDot
                                                           : i == ':' ? kColon
                                                           : i == '/' ? kSlash
                                                                      : 0);
  }
}

// Addresses and names with a dot inside ("https://example.com/page", "www.example.com",
// "sources.list", "a@b.org"), where a look-alike word is an accident: "com" is no "сом".
bool TextTokenizer::LooksVerbatim(std::string_view chunk) const {
  if (chunk.find("://") != chunk.npos || chunk.starts_with("www.")) {
    return true;
  }
  for (std::size_t at = chunk.find('.', 1); at != chunk.npos && at + 2 < chunk.size();
       at = chunk.find('.', at + 1)) {
    if (IsAsciiLetter(chunk[at - 1]) && IsAsciiLetter(chunk[at + 1]) &&
        IsAsciiLetter(chunk[at + 2]) && !NamesFunction(chunk, at)) {
      return true;
    }
  }
  return false;
}

// Spreadsheet functions are named with a dot ("МНИМ.ABS", "ПРЕДСКАЗ.ETS"): a dot between a
// word that reads as Russian in capitals and one in Latin capitals joins no address's parts.
bool TextTokenizer::NamesFunction(std::string_view chunk, std::size_t dot) const {
  const auto inCapitals = [this](char c) {
    return (c >= 'A' && c <= 'Z') || (static_cast<unsigned char>(c) < 0x80 && inCapitals_[c]);
  };
  std::size_t after = dot + 1;
  while (after < chunk.size() && IsAsciiLetter(chunk[after])) {
    if (!inCapitals(chunk[after++])) {
      return false;
    }
  }
  std::size_t from = dot;
  while (from > 0 && static_cast<unsigned char>(chunk[from - 1]) < 0x80 &&
         inCapitals_[chunk[from - 1]]) {
    --from;
  }
  const std::string_view word = chunk.substr(from, dot - from);
  if (word.size() < 2 || word.size() > kLongestFunctionWord ||
      (from > 0 && IsAsciiLetter(chunk[from - 1])) ||
      std::none_of(word.begin(), word.end(), [](char c) { return c >= 'A' && c <= 'Z'; })) {
    return false;
  }
  // Whether the word is the capitals' replacements one after another.
  std::bitset<kLongestFunctionWord + 1> reached;
  reached[0] = true;
  for (std::size_t at = 0; at < word.size(); ++at) {
    if (reached[at]) {
      for (const std::string& capital : capitals_) {
        if (word.substr(at).starts_with(capital)) {
          reached[at + capital.size()] = true;
        }
      }
    }
  }
  return reached[word.size()];
}

std::uint8_t TextTokenizer::ClassBeyondAscii(char32_t code) const {
  if (IsSpace(code)) {
    return kSpace;
  }
  const auto in = [code](const std::u32string& set) {
    return std::binary_search(set.begin(), set.end(), code);
  };
  if (in(wordCharacters_)) {
    return kWord | (in(startCharacters_) ? kStarts : 0) | (in(endCharacters_) ? kEnds : 0);
  }
  const bool letter = (code >= 0xC0 && code <= 0x24F && code != 0xD7 && code != 0xF7) ||
                      (code >= 0x370 && code <= 0x52F);
  return letter ? kWord | kStarts | kEnds : kPunctuation;
}

std::size_t TextTokenizer::ClassAt(std::string_view text, std::uint8_t& type) const {
  const auto lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) {
    type = ascii_[lead];
    return 1;
  }
  char32_t code = 0;
  const std::size_t length = WholeCharacterAt(text, code);
  type = ClassOf(code);
  return length;
}

void TextTokenizer::Finish(Receiver& receiver) {
  chunk_ += partial_;
  partial_.clear();
  if (!chunk_.empty()) {
    if (long_ == Long::Verbatim) {
      receiver.Take(Kind::Verbatim, chunk_);
    } else {
      long_ == Long::Split ? Split(chunk_, receiver, true) : TakeChunk(chunk_, receiver);
    }
  }
  chunk_.clear();
  long_ = Long::No;
  longWord_ = false;
}

void TextTokenizer::TakeChunk(std::string_view chunk, Receiver& receiver) {
  if (LooksVerbatim(chunk)) {
    receiver.Take(Kind::Verbatim, chunk);
  } else {
    Split(chunk, receiver, true);
  }
}

// The chunk outgrew kMaxChunk: an address goes on whole as it comes; anything else is cut
// into its tokens as far as the last word, which may go on in the next piece.
void TextTokenizer::TakeLongChunk(Receiver& receiver) {
  if (long_ == Long::No) {
    if (LooksVerbatim(chunk_)) {
      receiver.Take(Kind::Verbatim, chunk_);
      chunk_.clear();
      long_ = Long::Verbatim;
      return;
    }
    long_ = Long::Split;
  }
  Split(chunk_, receiver, false);
}

// Reads `text` as runs of punctuation and of word characters (and digits) into runs_, up to
// the first space or the text's end, and returns where it stopped. When `whole`, a character
// that the end of `text` cuts off counts as invalid bytes, and the reading stops early at the
// start of a run once runs_ holds kMaxRuns, so that memory stays bounded however long the
// text. Otherwise the result is npos for a chunk that needs the slow way: one that the text
// ends before a space, or that holds a cut character or more runs than that. `marked` tells
// whether the text holds a "." or ":", without which it cannot look like an address.
std::size_t TextTokenizer::ScanRuns(std::string_view text, bool whole, bool& marked) {
  runs_.clear();
  std::size_t start = 0;
  bool inRun = false;
  // Whether the run so far has no digit standing apart, and whether it is all digits: what
  // TakeRun needs to tell a plain word without reading the run again.
  bool noDigit = true;
  bool digits = true;
  // Kept in a local until the end: a store through `marked` would have to be made for every
  // byte, as the compiler cannot tell it from the text's bytes.
  marked = false;
  bool mark = false;
  std::size_t at = 0;
  while (at < text.size()) {
    const auto byte = static_cast<unsigned char>(text[at]);
    std::uint8_t type = 0;
    std::size_t length = 1;
    if (byte < 0x80) {
      type = ascii_[byte];
      mark = mark || byte == '.' || byte == ':';
    } else {
      char32_t code = 0;
      length = CharacterAt(text.substr(at), code);
      if (length == 0 && !whole) {
        return std::string_view::npos;
      }
      length = std::max<std::size_t>(length, 1);
      type = ClassOf(length == 1 ? kInvalid : code);
    }
    if (type == kSpace) {
      break;
    }
    const bool word = (type & (kWord | kDigit)) != 0;
    if (at > start && word != inRun) {
      runs_.push_back({start, at, inRun, noDigit && !digits});
      start = at;
      if (runs_.size() == kMaxRuns) {
        marked = mark;
        return whole ? at : std::string_view::npos;
      }
    }
    if (at == start) {
      noDigit = digits = true;
    }
    noDigit = noDigit && type != kDigit;
    digits = digits && IsAsciiDigit(static_cast<char>(byte));
    inRun = word;
    at += length;
    // The rest of a run of ASCII word characters, the bulk of look-alike text, changes nothing
    // above but whether the run is all digits and whether the chunk may be an address.
    if (word) {
      std::uint8_t seen = 0;
      while (at < text.size()) {
        const std::uint8_t flags = inWord_[static_cast<unsigned char>(text[at])];
        if (!(flags & kGoesOn)) {
          break;
        }
        seen |= flags;
        ++at;
      }
      mark = mark || (seen & kMarks);
      digits = digits && !(seen & kNotDigit);
    }
  }
  if (at == text.size() && !whole) {
    return std::string_view::npos;
  }
  if (at > start) {
    runs_.push_back({start, at, inRun, noDigit && !digits});
  }
  marked = mark;
  return at;
}

// Whether the digits of `run`, a run of word characters shorter than 64 bytes whose ASCII
// digits `digits` marks, leave it plain as TakeRun's `plain` says: none stands apart, and they
// are not all of it.
bool TextTokenizer::DigitsLeavePlain(std::string_view run, std::uint64_t digits) const {
  const std::uint64_t all = (std::uint64_t{1} << run.size()) - 1;
  for (std::uint64_t each = digits & all; each != 0; each &= each - 1) {
    if (ascii_[static_cast<unsigned char>(run[std::countr_zero(each)])] == kDigit) {
      return false;
    }
  }
  return (digits & all) != all;
}

// Hands on the run of `text` that runs_[index] holds.
void TextTokenizer::TakeScanned(std::string_view text, std::size_t index, Receiver& receiver) {
  const Run& run = runs_[index];
  const std::string_view bytes = text.substr(run.from, run.to - run.from);
  if (!run.word) {
    receiver.Take(Kind::Punctuation, bytes);
  } else if (longWord_) {
    receiver.Take(Kind::Verbatim, bytes);
    longWord_ = false;
  } else {
    TakeRun(bytes, receiver, run.plain);
  }
}

// Hands on the chunk's runs of punctuation and of word characters; unless `last`, the final
// run of word characters stays in chunk_, as the chunk may go on.
void TextTokenizer::Split(std::string_view chunk, Receiver& receiver, bool last) {
  bool marked = false;
  std::size_t end = 0;
  do {
    chunk.remove_prefix(end);
    // A chunk holds no space: the reading stops before its end only to hand on what it read.
    end = ScanRuns(chunk, true, marked);
    const bool goesOn = end == chunk.size() && !last && !runs_.empty() && runs_.back().word;
    for (std::size_t i = 0; i + (goesOn ? 1 : 0) < runs_.size(); ++i) {
      TakeScanned(chunk, i, receiver);
    }
  } while (end < chunk.size());
  if (last || runs_.empty() || !runs_.back().word) {
    chunk_.clear();
    return;
  }
  // The last run may go on; one already too long for a word goes on as verbatim.
  std::string rest(chunk.substr(runs_.back().from));
  if (rest.size() > kMaxWord) {
    receiver.Take(Kind::Verbatim, rest);
    longWord_ = true;
    rest.clear();
  }
  chunk_ = std::move(rest);
}

// Most runs are a word of look-alikes that starts and ends as a word may, with no digit
// standing apart and no room for a number: such a run is one word, and its inner characters
// need no second look, which matters for look-alikes beyond ASCII ("а" of Cyrillic). `plain`
// says that it has no digit standing apart and is not all digits.
bool TextTokenizer::IsPlainWord(std::string_view run, bool plain) const {
  if (!plain || run.size() > kMaxWord) {
    return false;
  }
  // Only ASCII may be punctuation at a word's ends: a character beyond ASCII in a word is a
  // letter or one of a replacement's.
  const auto front = static_cast<unsigned char>(run.front());
  const auto back = static_cast<unsigned char>(run.back());
  const std::uint8_t first = front < 0x80 ? ascii_[front] : std::uint8_t{kWord};
  const std::uint8_t last = back < 0x80 ? ascii_[back] : std::uint8_t{kWord};
  return (!(first & kPunctuation) || (first & kStarts)) &&
         (!(last & kPunctuation) || (last & kEnds));
}

// How many bytes from `at` on, where `run` holds punctuation, belong to a replacement that
// stands whole around it; 0 when none does.
std::size_t TextTokenizer::ReplacementFrom(std::string_view run, std::size_t at) const {
  for (const std::string& replacement : punctuated_) {
    for (std::size_t in = replacement.find(run[at]); in != replacement.npos;
         in = replacement.find(run[at], in + 1)) {
      if (in <= at && run.substr(at - in).starts_with(replacement)) {
        return replacement.size() - in;
      }
    }
  }
  return 0;
}

// A run of word characters and digits: characters that cannot start (end) a look-alike are
// punctuation at its start (end), digits no replacement uses stand apart as numbers, and
// what is left is a word, or verbatim when it is too long for one.
void TextTokenizer::TakeRun(std::string_view run, Receiver& receiver, bool plain) {
  if (IsPlainWord(run, plain)) {
    receiver.Take(Kind::Word, run);
    return;
  }
  if (std::all_of(run.begin(), run.end(), IsAsciiDigit)) {
    receiver.Take(Kind::Number, run);
    return;
  }
  std::size_t from = 0;
  std::size_t to = run.size();
  while (from < to) {
    std::uint8_t type = 0;
    const std::size_t length = ClassAt(run.substr(from), type);
    if (!(type & kPunctuation) || (type & kStarts)) {
      break;
    }
    from += length;
  }
  while (to > from) {
    const std::size_t start = from + LastCharacterStart(run.substr(from, to - from));
    std::uint8_t type = 0;
    ClassAt(run.substr(start, to - start), type);
    if (!(type & kPunctuation) || (type & kEnds)) {
      break;
    }
    to = start;
  }
  if (from > 0) {
    receiver.Take(Kind::Punctuation, run.substr(0, from));
  }
  // A number is a run of digits of which one at least no replacement uses: the look-alike
  // digits beside it are its own ("u32" is "u" and 32, not "из" and 2).
  const auto digitsEnd = [&](std::size_t at) {
    while (at < to && IsAsciiDigit(run[at])) {
      ++at;
    }
    return at;
  };
  const auto punctuation = [this](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x80 && (ascii_[byte] & kPunctuation);
  };
  const auto holdsPlainDigit = [&](std::size_t at, std::size_t end) {
    return std::any_of(run.begin() + at, run.begin() + end,
                       [this](char c) { return ascii_[static_cast<unsigned char>(c)] == kDigit; });
  };
  for (std::size_t start = from; start < to;) {
    std::size_t end = digitsEnd(start);
    const bool number = holdsPlainDigit(start, end);
    if (!number) {
      end = start;
      while (end < to) {
        const std::size_t digits = digitsEnd(end);
        if (digits > end) {
          if (holdsPlainDigit(end, digits)) {
            break;
          }
          end = digits;
          continue;
        }
        // Punctuation that no replacement around it explains parts words: "|" in
        // "|NAME|ucnoJIb3oBaTb", where only "}|{" holds it.
        if (punctuation(run[end])) {
          const std::size_t covered = ReplacementFrom(run.substr(0, to), end);
          if (covered == 0) {
            break;
          }
          end += covered;
          continue;
        }
        std::uint8_t type = 0;
        end += ClassAt(run.substr(end, to - end), type);
      }
    }
    if (end == start) {
      // Punctuation that parts words, with any more of it after it.
      do {
        ++end;
      } while (end < to && punctuation(run[end]) && ReplacementFrom(run.substr(0, to), end) == 0);
      receiver.Take(Kind::Punctuation, run.substr(start, end - start));
      start = end;
      continue;
    }
    const std::string_view part = run.substr(start, end - start);
    receiver.Take(number                   ? Kind::Number
                  : part.size() > kMaxWord ? Kind::Verbatim
                                           : Kind::Word,
                  part);
    start = end;
  }
  if (to < run.size()) {
    receiver.Take(Kind::Punctuation, run.substr(to));
  }
}

}  // namespace lettermorph
