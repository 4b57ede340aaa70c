// The look-alike decoder of lettermorph-cli --decode, under tables the settings window could
// make and a word index of words the harness makes up. The tokenizer hands on every byte once,
// never cuts a word in two, and cuts alike however the text is split; every word read as
// Russian recodes to its token again, ASCII case aside; the decoder gives the same text whole,
// in random pieces, and again after the end of a text from the words it remembers, and never
// more than its tokens can decode to. An index image damaged anywhere behind a checksum that
// still agrees is refused or read without a fault.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "decode/text_tokenizer.h"
#include "decode/utf8_stream_decoder.h"
#include "decode/word_decoder.h"
#include "decode/word_index.h"
#include "decode/word_index_builder.h"
#include "fuzzed_table.h"
#include "piece_sizes.h"
#include "recode/recode_text.h"
#include "require.h"
#include "text/byte_sink.h"
#include "text/utf8.h"
#include "text_tokenizer_feed.h"
#include "word_index_format.h"

namespace lettermorph::fuzz {
namespace {

// The text is decoded four times over; a short text keeps each run quick.
constexpr std::size_t kMaxText = 4096;
// Pieces of a few bytes, so that even a short text is cut in many places.
constexpr std::size_t kLongestPiece = 12;

// Words of up to six letters of the table, some in capitals or capitalised, and a few
// English ones: a vocabulary of its own for each input.
void AddWords(FuzzedDataProvider& data, WordIndexBuilder& builder) {
  for (int words = data.ConsumeIntegralInRange(0, 12); words > 0; --words) {
    std::u16string word;
    for (int letters = data.ConsumeIntegralInRange(1, 6); letters > 0; --letters) {
      word += kSlotLetters[data.ConsumeIntegralInRange(0, kSlotCount - 1)];
    }
    std::string utf8;
    AppendUtf8(word, utf8);
    if (data.ConsumeBool()) {
      builder.AddDictionaryForm(utf8);
    } else {
      builder.AddListedForm(utf8, data.ConsumeIntegralInRange<std::uint32_t>(0, 100));
    }
  }
  for (int words = data.ConsumeIntegralInRange(0, 3); words > 0; --words) {
    std::string word;
    for (int letters = data.ConsumeIntegralInRange(1, 4); letters > 0; --letters) {
      word += static_cast<char>(data.ConsumeIntegralInRange('a', 'z'));
    }
    builder.AddEnglishWord(word);
  }
}

std::string Folded(std::string_view text) {
  std::string folded;
  for (const char c : text) {
    folded += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return folded;
}

// Damages bytes behind the header and puts the checksum right again, so that only the index's
// own checks stand between the damage and a read outside the image.
std::string Damaged(std::string image, FuzzedDataProvider& data) {
  namespace format = word_index_format;
  if (image.size() <= sizeof(format::Header)) {
    return image;
  }
  for (int bytes = data.ConsumeIntegralInRange(1, 4); bytes > 0; --bytes) {
    const std::size_t at =
        data.ConsumeIntegralInRange<std::size_t>(sizeof(format::Header), image.size() - 1);
    image[at] = static_cast<char>(data.ConsumeIntegral<std::uint8_t>());
  }
  format::Header header;
  std::memcpy(&header, image.data(), sizeof header);
  header.checksum =
      format::Checksum(std::as_bytes(std::span(image)).subspan(sizeof(format::Header)));
  std::memcpy(image.data(), &header, sizeof header);
  return image;
}

// The tokens as they arrive, with neighbouring spaces and neighbouring verbatim text joined,
// since either may be handed on in parts.
class TokenList final : public TextTokenizer::Receiver {
 public:
  using Kind = TextTokenizer::Kind;

  void Take(Kind kind, std::string_view bytes) override {
    Require(!bytes.empty(), "no token is empty");
    Require(kind != Kind::Word || bytes.size() <= TextTokenizer::kMaxWord,
            "no word is longer than the longest word");
    const bool joins = !kinds.empty() && kinds.back() == kind;
    Require(!joins || kind != Kind::Word, "a word is never cut in two");
    if (joins && kind != Kind::Punctuation) {
      texts.back() += bytes;
      return;
    }
    kinds.push_back(kind);
    texts.emplace_back(bytes);
    words += kind == Kind::Word ? 1 : 0;
  }

  std::vector<Kind> kinds;
  std::vector<std::string> texts;
  std::size_t words = 0;
};

TokenList Tokenize(const ReplacementTable& table, std::string_view text, PieceSizes* sizes) {
  const WordDecoder words(table, nullptr);
  TextTokenizer tokenizer(words.Replacements());
  TokenList tokens;
  while (!text.empty()) {
    const std::size_t size = sizes ? std::min(sizes->Next(), text.size()) : text.size();
    tokenizer.Feed(text.substr(0, size), tokens);
    text.remove_prefix(size);
  }
  tokenizer.Finish(tokens);
  return tokens;
}

// Feeds each text to one decoder, in pieces when `sizes` is given, and ends each.
std::string Decode(Utf8StreamDecoder& decoder, std::initializer_list<std::string_view> texts,
                   PieceSizes* sizes) {
  StringSink sink;
  for (std::string_view text : texts) {
    while (!text.empty()) {
      const std::size_t size = sizes ? std::min(sizes->Next(), text.size()) : text.size();
      Require(decoder.Decode(text.substr(0, size), sink),
              "Decode succeeds into a sink that never fails");
      text.remove_prefix(size);
    }
    Require(decoder.Finish(sink), "Finish succeeds into a sink that never fails");
  }
  return sink.text;
}

TokenList CheckTokenizer(const ReplacementTable& table, std::string_view text,
                         std::uint32_t cutSeed) {
  const TokenList whole = Tokenize(table, text, nullptr);
  std::string joined;
  for (const std::string& token : whole.texts) {
    joined += token;
  }
  Require(joined == text, "the tokens, joined, are the text");
  // Cutting is cheap next to decoding: several ways of cutting the text find more of the
  // places where a piece boundary matters.
  for (std::uint32_t round = 0; round < 8; ++round) {
    PieceSizes sizes(cutSeed + round, kLongestPiece);
    const TokenList cut = Tokenize(table, text, &sizes);
    Require(cut.kinds == whole.kinds && cut.texts == whole.texts,
            "the text in random pieces is cut into the same tokens as the whole text");
  }
  return whole;
}

// A word token decodes to at most two bytes for each of its bytes, as each letter it reads as
// takes two bytes and comes from at least one, and one more letter that vanished from it;
// everything else is copied. The second time round the words come from the decoder's cache.
void CheckDecoder(const ReplacementTable& table, const WordIndex* index, std::string_view text,
                  std::uint32_t cutSeed, std::size_t words) {
  Utf8StreamDecoder decoder(table, index);
  const std::string whole = Decode(decoder, {text}, nullptr);
  Require(whole.size() <= 2 * text.size() + 2 * words,
          "the decoded text is no longer than its tokens can decode to");
  PieceSizes sizes(cutSeed, kLongestPiece);
  Require(Decode(decoder, {text, text}, &sizes) == whole + whole,
          "the text in random pieces, and once more after it, decodes as the whole text did");
}

// Each word that reads as Russian, in each spelling it allows, recodes to its token again.
void CheckWords(const ReplacementTable& table, const WordIndex* index, const TokenList& tokens) {
  const WordDecoder decoder(table, index);
  for (std::size_t i = 0; i < tokens.kinds.size(); ++i) {
    if (tokens.kinds[i] != TextTokenizer::Kind::Word) {
      continue;
    }
    const DecodedWord word = decoder.Decode(tokens.texts[i]);
    if (word.kind != DecodedWord::Kind::Russian) {
      continue;
    }
    for (const DecodedWord::Spelling spelling :
         {DecodedWord::kSmall, DecodedWord::kTitle, DecodedWord::kCapitals}) {
      if (word.spellings != 0 && (word.spellings & spelling) == 0) {
        continue;
      }
      std::string spelled;
      AppendSpelled(word, spelling, spelled);
      std::string recoded;
      AppendUtf8(RecodeText(Utf16FromUtf8(spelled), table), recoded);
      Require(Folded(recoded) == Folded(tokens.texts[i]),
              "a word read as Russian recodes to its token, ASCII case aside");
    }
  }
}

}  // namespace
}  // namespace lettermorph::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace lettermorph;
  FuzzedDataProvider data(bytes, size);
  ReplacementTable table;
  if (data.ConsumeBool()) {
    table.ApplyResetDefaults();
  }
  for (int edits = data.ConsumeIntegralInRange(0, 6); edits > 0; --edits) {
    fuzz::ConsumeTableEdit(data, table);
  }
  const auto cutSeed = data.ConsumeIntegral<std::uint32_t>();
  WordIndexBuilder builder;
  fuzz::AddWords(data, builder);
  const std::string image = builder.Build(table, "fuzz");
  const std::optional<WordIndex> built =
      WordIndex::Open(std::as_bytes(std::span(image)), table, "fuzz");
  fuzz::Require(built.has_value(), "an index opens for the table it was built for");
  const std::string damaged = fuzz::Damaged(image, data);
  const std::optional<WordIndex> opened =
      WordIndex::Open(std::as_bytes(std::span(damaged)), table, "fuzz");
  const WordIndex* index = data.ConsumeBool() ? &*built : nullptr;
  std::string text = data.ConsumeRemainingBytesAsString();
  text.resize(std::min(text.size(), fuzz::kMaxText));

  const fuzz::TokenList tokens = fuzz::CheckTokenizer(table, text, cutSeed);
  fuzz::CheckWords(table, index, tokens);
  if (opened) {
    fuzz::CheckDecoder(table, &*opened, text, cutSeed, tokens.words);
  }
  fuzz::CheckDecoder(table, index, text, cutSeed, tokens.words);
  return 0;
}
