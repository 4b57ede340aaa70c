#include "decode/candidate_lattice.h"

#include <algorithm>

#include "letter_preference.h"

namespace lettermorph {

CandidateLattice::CandidateLattice(const LookAlikeIndex& index, std::u16string_view token)
    : edges_(token.size()) {
  // Backwards, so that only edges ending where the rest of the token can be read are kept.
  std::vector<bool> reachesEnd(token.size() + 1, false);
  reachesEnd[token.size()] = true;
  std::vector<const LookAlikeIndex::Entry*> matches;
  for (std::size_t at = token.size(); at-- > 0;) {
    matches.clear();
    index.MatchesAt(token.substr(at), matches);
    for (const LookAlikeIndex::Entry* entry : matches) {
      const std::size_t end = at + entry->text.size();
      if (reachesEnd[end]) {
        edges_[at].push_back({end, entry});
        reachesEnd[at] = true;
      }
    }
  }
  if (token.empty() || !reachesEnd[0]) {
    return;
  }
  Candidate path;
  Walk(0, path);
  for (Candidate& candidate : candidates_) {
    candidate.penalty = PreferencePenalty(candidate.small);
  }
  std::stable_sort(candidates_.begin(), candidates_.end(),
                   [](const Candidate& a, const Candidate& b) { return a.penalty < b.penalty; });
}

void CandidateLattice::Walk(std::size_t at, Candidate& path) {
  if (at == edges_.size()) {
    candidates_.push_back(path);
    return;
  }
  for (const Edge& edge : edges_[at]) {
    for (const Reading& reading : edge.entry->readings) {
      if (candidates_.size() >= kMaxCandidates) {
        return;
      }
      path.small.push_back(reading.letter);
      path.cases.push_back(reading.cases);
      path.sources.push_back(edge.entry);
      Walk(edge.end, path);
      path.small.pop_back();
      path.cases.pop_back();
      path.sources.pop_back();
    }
  }
}

}  // namespace lettermorph
