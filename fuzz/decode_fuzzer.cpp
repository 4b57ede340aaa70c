// The look-alike decoder of lettermorph-cli --decode, under tables the settings window could
// make and a dictionary the harness makes up. The tokenizer hands on every byte once, never
// cuts a word in two, and cuts alike however the text is split; the decoder gives the same
// text whole, in random pieces, and again after the end of a text from the words it
// remembers, and never more than its tokens can decode to.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "decode/dictionary.h"
#include "decode/look_alike_index.h"
#include "decode/text_tokenizer.h"
#include "decode/utf8_stream_decoder.h"
#include "fuzzed_table.h"
#include "piece_sizes.h"
#include "require.h"
#include "text/byte_sink.h"

namespace lettermorph::fuzz {
namespace {

// Decoding asks the dictionary up to hundreds of questions a word; a short text keeps each
// run quick.
constexpr std::size_t kMaxText = 4096;
// Pieces of a few bytes, so that even a short text is cut in many places.
constexpr std::size_t kLongestPiece = 12;

// Knows about one word in `ratio`, names included, by a hash of its letters and a seed: the
// same answer every time, and a different vocabulary for each seed.
class HashedDictionary final : public Dictionary {
 public:
  HashedDictionary(std::uint32_t seed, std::uint32_t ratio) : seed_(seed), ratio_(ratio) {}

  bool Knows(std::u16string_view word) const override {
    std::uint32_t hash = 2166136261u ^ seed_;
    for (const char16_t unit : word) {
      hash = (hash ^ unit) * 16777619u;
    }
    return hash % ratio_ == 0;
  }

 private:
  std::uint32_t seed_;
  std::uint32_t ratio_;
};

// The tokens as they arrive, with neighbouring spaces and neighbouring verbatim text joined,
// since either may be handed on in parts.
class TokenList final : public TextTokenizer::Receiver {
 public:
  using Kind = TextTokenizer::Kind;

  void Take(Kind kind, std::string_view bytes) override {
    Require(!bytes.empty(), "no token is empty");
    Require(kind != Kind::Word || bytes.size() <= TextTokenizer::kMaxChunk,
            "no word is longer than the longest chunk");
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
  TextTokenizer tokenizer(LookAlikeIndex(table).Characters());
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

void CheckTokenizer(const ReplacementTable& table, std::string_view text, std::uint32_t cutSeed,
                    std::size_t& words) {
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
  words = whole.words;
}

// A word token decodes to at most two bytes for each of its bytes, as each letter it reads as
// takes two bytes and comes from at least one, and one more letter that vanished from it;
// everything else is copied. The second time round the words come from the decoder's cache.
void CheckDecoder(const ReplacementTable& table, const Dictionary* dictionary,
                  std::string_view text, std::uint32_t cutSeed, std::size_t words) {
  Utf8StreamDecoder decoder(table, dictionary);
  const std::string whole = Decode(decoder, {text}, nullptr);
  Require(whole.size() <= 2 * text.size() + 2 * words,
          "the decoded text is no longer than its tokens can decode to");
  PieceSizes sizes(cutSeed, kLongestPiece);
  Require(Decode(decoder, {text, text}, &sizes) == whole + whole,
          "the text in random pieces, and once more after it, decodes as the whole text did");
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
  const auto ratio = data.ConsumeIntegralInRange<std::uint32_t>(0, 8);
  const fuzz::HashedDictionary hashed(data.ConsumeIntegral<std::uint32_t>(), ratio);
  const Dictionary* dictionary = ratio == 0 ? nullptr : &hashed;
  std::string text = data.ConsumeRemainingBytesAsString();
  text.resize(std::min(text.size(), fuzz::kMaxText));

  std::size_t words = 0;
  fuzz::CheckTokenizer(table, text, cutSeed, words);
  fuzz::CheckDecoder(table, dictionary, text, cutSeed, words);
  return 0;
}
