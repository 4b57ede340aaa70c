#include "twin_contexts.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <numeric>
#include <string>

#include "text/utf8.h"

namespace lettermorph {

extern const std::string_view kTwinContexts;

namespace {

constexpr std::u16string_view kNothingBefore = u".";
constexpr std::u16string_view kAll = u"*";

// The contexts a word before may be seen as, the most particular first: the word itself,
// then its last three, two and one letters after a dash. An ending ("-ких") has only the
// shorter endings.
std::size_t Chain(std::u16string_view word, std::array<std::u16string, 4>& chain) {
  std::size_t count = 0;
  const bool ending = word.starts_with(u'-');
  if (ending) {
    word.remove_prefix(1);
  } else {
    chain[count++] = word;
  }
  for (std::size_t letters = 3; letters >= 1; --letters) {
    if (word.size() > letters) {
      chain[count].assign(1, u'-');
      chain[count++].append(word.substr(word.size() - letters));
    }
  }
  return count;
}

std::optional<TwinContexts::Kind> KindOf(std::string_view name) {
  static constexpr std::array<std::string_view, TwinContexts::kKinds> kNames = {"ия", "ие", "ий",
                                                                                "ай"};
  const auto found = std::find(kNames.begin(), kNames.end(), name);
  if (found == kNames.end()) {
    return std::nullopt;
  }
  return static_cast<TwinContexts::Kind>(found - kNames.begin());
}

std::optional<std::uint32_t> Number(std::string_view text) {
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

// A context is trusted only where it makes one ending at least e times likelier than after
// any word, and its choice only where it makes one of the two at least e times likelier than
// the other; elsewhere the word before is judged as before.
constexpr double kConfident = 1.0;
constexpr float kDecisive = 1.0f;
// How many twins' worth a context's share leans on the shorter context's.
constexpr double kLean = 2.0;

double Logit(double share) {
  return std::log(share / (1.0 - share));
}

// How particular a context is: nothing before, then endings of one to three letters, then
// whole words.
std::size_t Level(std::u16string_view context) {
  return context == kNothingBefore ? 0 : context.starts_with(u'-') ? context.size() - 1 : 4;
}

struct Counts {
  std::array<std::array<std::uint32_t, 2>, TwinContexts::kKinds> seen{};  // -ии, -ий
  std::array<bool, TwinContexts::kKinds> has{};
};

}  // namespace

TwinContexts::TwinContexts(std::string_view table) {
  std::map<std::u16string, Counts, std::less<>> read;
  Counts all;
  while (!table.empty()) {
    const std::size_t end = std::min(table.find('\n'), table.size());
    std::string_view line = table.substr(0, end);
    table.remove_prefix(std::min(end + 1, table.size()));
    if (line.empty() || line[0] == '#') {
      continue;
    }
    std::array<std::string_view, 4> fields;
    std::size_t found = 0;
    for (; found < fields.size() && !line.empty(); ++found) {
      const std::size_t tab = std::min(line.find('\t'), line.size());
      fields[found] = line.substr(0, tab);
      line.remove_prefix(std::min(tab + 1, line.size()));
    }
    const std::optional<Kind> kind = KindOf(fields[0]);
    const std::u16string context = Utf16FromUtf8(fields[1]);
    const std::optional<std::uint32_t> i = Number(fields[2]);
    const std::optional<std::uint32_t> shortI = Number(fields[3]);
    if (found < fields.size() || !line.empty() || !kind || !i || !shortI || context.empty() ||
        (context != kAll && read.size() >= kUnseen && !read.contains(context))) {
      continue;
    }
    Counts& counts = context == kAll ? all : read[context];
    counts.seen[*kind] = {*i, *shortI};
    counts.has[*kind] = true;
  }
  keys_.reserve(read.size());
  std::vector<const Counts*> counted;
  for (const auto& [key, counts] : read) {
    keys_.push_back(key);
    counted.push_back(&counts);
  }
  entries_.resize(keys_.size());
  // The share of "-ий" among twins of each kind, after any word.
  std::array<double, kKinds> base;
  for (int kind = 0; kind < kKinds; ++kind) {
    const auto [i, shortI] = all.seen[kind];
    base[kind] = (shortI + 1.0) / (i + shortI + 2.0);
  }
  // Shorter contexts first, so that each context's share leans on that of the next shorter
  // context of the same word ("-сии" on "-ии"), by as much as kLean twins would: a word seen
  // before a few twins is not taken at its word alone. A context seen too seldom before
  // one kind has the share of the shorter one.
  std::vector<std::size_t> order(keys_.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return Level(keys_[a]) < Level(keys_[b]); });
  std::vector<std::array<double, kKinds>> share(keys_.size());
  std::array<std::u16string, 4> chain;
  for (const std::size_t at : order) {
    const std::size_t links = keys_[at] == kNothingBefore ? 0 : Chain(keys_[at], chain);
    std::optional<std::uint16_t> shorter;
    for (std::size_t link = keys_[at].starts_with(u'-') ? 0 : 1; link < links && !shorter; ++link) {
      shorter = Find(chain[link]);
    }
    Entry& entry = entries_[at];
    for (int kind = 0; kind < kKinds; ++kind) {
      const double lean = shorter ? share[*shorter][kind] : base[kind];
      entry.seen[kind] = counted[at]->has[kind] || (shorter && entries_[*shorter].seen[kind]);
      share[at][kind] = lean;
      if (counted[at]->has[kind]) {
        const auto [i, shortI] = counted[at]->seen[kind];
        share[at][kind] = (shortI + kLean * lean) / (i + shortI + kLean);
      }
      entry.odds[kind] = static_cast<float>(Logit(share[at][kind]) - Logit(base[kind]));
    }
  }
  for (Entry& entry : entries_) {
    for (int kind = 0; kind < kKinds; ++kind) {
      entry.confident[kind] = entry.seen[kind] && std::abs(entry.odds[kind]) >= kConfident;
    }
  }
  nothingBefore_ = Find(kNothingBefore).value_or(kUnseen);
}

const TwinContexts& TwinContexts::BuiltIn() {
  static const TwinContexts table(kTwinContexts);
  return table;
}

std::uint16_t TwinContexts::ContextOf(std::u16string_view previous) const {
  if (previous.empty() || previous.starts_with(u'-')) {
    return kUnseen;
  }
  // ё is read as е, as the counts are; most words have none and are looked up as they are.
  std::u16string folded;
  if (previous.find(u'ё') != previous.npos) {
    folded = previous;
    std::replace(folded.begin(), folded.end(), u'ё', u'е');
    previous = folded;
  }
  if (const std::optional<std::uint16_t> found = Find(previous)) {
    return *found;
  }
  std::array<char16_t, 4> ending{u'-'};
  for (std::size_t letters = 3; letters >= 1; --letters) {
    if (previous.size() > letters) {
      std::copy(previous.end() - letters, previous.end(), ending.begin() + 1);
      if (const std::optional<std::uint16_t> found =
              Find(std::u16string_view(ending.data(), letters + 1))) {
        return *found;
      }
    }
  }
  return kUnseen;
}

std::optional<bool> TwinContexts::PrefersShortI(Kind kind, std::uint16_t context,
                                                std::int8_t shortIOdds) const {
  if (context >= entries_.size() || kind >= kKinds || !entries_[context].confident[kind]) {
    return std::nullopt;
  }
  const float odds = entries_[context].odds[kind] + shortIOdds / kOddsUnit;
  if (std::abs(odds) < kDecisive) {
    return std::nullopt;
  }
  return odds > 0;
}

std::optional<std::uint16_t> TwinContexts::Find(std::u16string_view key) const {
  const auto found = std::lower_bound(keys_.begin(), keys_.end(), key);
  if (found == keys_.end() || *found != key) {
    return std::nullopt;
  }
  return static_cast<std::uint16_t>(found - keys_.begin());
}

}  // namespace lettermorph
