#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "decode/look_alike_index.h"

namespace lettermorph {

// One way to read a token: its letters in small form, and for each letter the cases
// (LetterCase bits) that its look-alike string allows.
struct Candidate {
  std::u16string small;
  std::vector<std::uint8_t> cases;
  // For each letter, the replacement it was read from; null for a letter put back.
  std::vector<const LookAlikeIndex::Entry*> sources;
  int penalty = 0;  // PreferencePenalty of `small`
};

// Every way to cut a token into replacement strings and read each as one of its letters,
// best first by letter preference. Letters that vanished are not guessed here.
class CandidateLattice {
 public:
  // Past this many readings the rest of a pathological token is not explored.
  static constexpr std::size_t kMaxCandidates = 1024;

  CandidateLattice(const LookAlikeIndex& index, std::u16string_view token);

  // Empty when the token cannot be cut into replacements.
  const std::vector<Candidate>& Candidates() const { return candidates_; }

 private:
  struct Edge {
    std::size_t end;
    const LookAlikeIndex::Entry* entry;
  };

  void Walk(std::size_t at, Candidate& path);

  std::vector<std::vector<Edge>> edges_;  // by start position, only those that reach the end
  std::vector<Candidate> candidates_;
};

}  // namespace lettermorph
