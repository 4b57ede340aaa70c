#include "decode/look_alike_index.h"

#include <algorithm>

#include "russian_letters.h"

namespace lettermorph {
namespace {

void AddReading(std::vector<Reading>& readings, char16_t letter, std::uint8_t cases) {
  const auto same = std::find_if(readings.begin(), readings.end(),
                                 [&](const Reading& r) { return r.letter == letter; });
  if (same == readings.end()) {
    readings.push_back({letter, cases});
  } else {
    same->cases |= cases;
  }
}

}  // namespace

LookAlikeIndex::LookAlikeIndex(const ReplacementTable& table) {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const char16_t letter = *table.LetterAt(slot);
    const std::u16string_view text = *table.ReplacementAt(slot);
    const char16_t small = ToSmall(letter);
    const std::uint8_t cases = small == letter ? kSmallCase : kCapitalCase;
    if (text.empty()) {
      AddReading(vanished_, small, cases);
      continue;
    }
    auto entry = std::find_if(entries_.begin(), entries_.end(),
                              [&](const Entry& e) { return e.text == text; });
    if (entry == entries_.end()) {
      entries_.push_back({std::u16string(text), {}});
      entry = entries_.end() - 1;
    }
    AddReading(entry->readings, small, cases);
    for (char16_t unit : text) {
      if (characters_.find(unit) == characters_.npos) {
        characters_ += unit;
      }
    }
  }
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const char16_t first = entries_[i].text[0];
    (first < byFirstAscii_.size() ? byFirstAscii_[first] : byFirstUnit_[first]).push_back(i);
  }
}

void LookAlikeIndex::MatchesAt(std::u16string_view rest, std::vector<const Entry*>& out) const {
  if (rest.empty()) {
    return;
  }
  const std::vector<std::size_t>* starting = nullptr;
  if (rest[0] < byFirstAscii_.size()) {
    starting = &byFirstAscii_[rest[0]];
  } else if (const auto found = byFirstUnit_.find(rest[0]); found != byFirstUnit_.end()) {
    starting = &found->second;
  } else {
    return;
  }
  for (std::size_t i : *starting) {
    if (rest.starts_with(entries_[i].text)) {
      out.push_back(&entries_[i]);
    }
  }
}

}  // namespace lettermorph
