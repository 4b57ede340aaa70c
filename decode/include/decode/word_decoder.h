#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "decode/candidate_lattice.h"
#include "decode/dictionary.h"
#include "decode/look_alike_index.h"
#include "recode/replacement_table.h"

namespace lettermorph {

// What one token of look-alike text reads as.
struct DecodedWord {
  enum class Kind : std::uint8_t {
    Number,   // digits only: copied, and says nothing about the language around it
    Foreign,  // no Russian reading: copied as it is
    Russian,  // written as one of the two spellings below
  };
  Kind kind = Kind::Foreign;
  // Latin letters in one case or capitalised, so that it may as well be an English word
  // ("no", "cup") and its neighbours decide.
  bool englishShaped = false;
  std::string inSentence;  // UTF-8
  std::string atSentenceStart;
};

// Reads one token. With a dictionary it takes the likeliest reading the dictionary knows,
// putting back a vanished letter ("Алексей" from "JIekceu") only when no reading without
// one is known, and a token with no known reading is foreign. Without a dictionary every
// token that can be read at all takes its likeliest reading.
class WordDecoder {
 public:
  // Questions to the dictionary per token, so that a long run of ambiguous look-alikes
  // costs a bounded time.
  static constexpr int kMaxLookups = 400;

  // Keeps a pointer to `dictionary`, which may be null, and a copy of the table.
  WordDecoder(const ReplacementTable& table, const Dictionary* dictionary);

  DecodedWord Decode(std::string_view token) const;

 private:
  struct Choice {
    Candidate candidate;
    bool properNoun = false;
  };

  std::optional<Choice> Choose(const CandidateLattice& lattice) const;
  std::optional<Choice> FirstKnown(const std::vector<Candidate>& candidates, int& lookups) const;
  std::vector<Candidate> WithVanishedLetter(const std::vector<Candidate>& candidates) const;
  void PreferYo(Choice& choice) const;
  std::optional<bool> KnownAsProperNoun(std::u16string_view small, bool mayBeName) const;

  LookAlikeIndex index_;
  const Dictionary* dictionary_;
};

}  // namespace lettermorph
