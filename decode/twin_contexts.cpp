#include "twin_contexts.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace lettermorph {

extern const std::string_view kTwinContexts;

namespace {

constexpr std::string_view kNothingBefore = ".";
constexpr std::string_view kAll = "*";
constexpr std::size_t kLongestEnding = 3;
// Longer words than this are in no table.
constexpr std::size_t kLongestWord = 40;

// A letter as the table counts it: ё is read as е.
constexpr char16_t Folded(char16_t letter) {
  return letter == u'ё' ? u'е' : letter;
}

// A word as a number: up to four letters packed 16 bits apiece, a longer word by its hash
// with the top bit set, which no packed letters have. That a word of the text shares its
// hash with one of the table's thousand is a chance of about one in 10^16.
std::uint64_t WordKey(std::u16string_view word) {
  std::uint64_t key = 0;
  if (word.size() <= 4) {
    for (const char16_t letter : word) {
      key = key << 16 | Folded(letter);
    }
    return key;
  }
  key = 0xCBF29CE484222325u;
  for (const char16_t letter : word) {
    key = (key ^ Folded(letter)) * 0x100000001B3u;
  }
  return key | std::uint64_t{1} << 63;
}

// The word's last `letters` letters after a dash, packed as a word of four letters is.
std::uint64_t EndingKey(std::u16string_view word, std::size_t letters) {
  std::uint64_t key = u'-';
  for (const char16_t letter : word.substr(word.size() - letters)) {
    key = key << 16 | Folded(letter);
  }
  return key;
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

// One line of the table: a context's counts before twins of one kind, with what the context
// is and the shorter contexts of the same word, longest first.
struct Line {
  std::uint64_t key = 0;
  bool all = false;  // the line that counts all twins of its kind
  std::array<std::uint64_t, kLongestEnding> shorter{};
  std::size_t shorterCount = 0;
  TwinContexts::Kind kind{};
  std::uint32_t i = 0;
  std::uint32_t shortI = 0;
};

// Reads one line; nothing for a comment or a line it cannot read.
std::optional<Line> ReadLine(std::string_view text) {
  if (text.empty() || text[0] == '#') {
    return std::nullopt;
  }
  std::array<std::string_view, 4> fields;
  std::size_t found = 0;
  for (; found < fields.size() && !text.empty(); ++found) {
    const std::size_t tab = std::min(text.find('\t'), text.size());
    fields[found] = text.substr(0, tab);
    text.remove_prefix(std::min(tab + 1, text.size()));
  }
  const std::optional<TwinContexts::Kind> kind = KindOf(fields[0]);
  const std::optional<std::uint32_t> i = Number(fields[2]);
  const std::optional<std::uint32_t> shortI = Number(fields[3]);
  if (found < fields.size() || !text.empty() || !kind || !i || !shortI || fields[1].empty()) {
    return std::nullopt;
  }
  Line line{.kind = *kind, .i = *i, .shortI = *shortI};
  if (fields[1] == kAll) {
    line.all = true;
    return line;
  }
  if (fields[1] == kNothingBefore) {
    line.key = WordKey(u".");
    return line;
  }
  // Russian letters take two bytes of UTF-8 each, the dash one.
  std::array<char16_t, kLongestWord> letters;
  std::size_t count = 0;
  const std::string_view context = fields[1];
  const bool ending = context[0] == '-';
  for (std::size_t at = ending ? 1 : 0; at < context.size(); at += 2) {
    const auto lead = static_cast<unsigned char>(context[at]);
    if (count == letters.size() || at + 1 == context.size() || (lead & 0xE0) != 0xC0) {
      return std::nullopt;
    }
    letters[count++] = static_cast<char16_t>((lead & 0x1F) << 6 | (context[at + 1] & 0x3F));
  }
  const std::u16string_view word(letters.data(), count);
  if (word.empty() || (ending && word.size() > kLongestEnding)) {
    return std::nullopt;
  }
  line.key = ending ? EndingKey(word, word.size()) : WordKey(word);
  for (std::size_t last = kLongestEnding; last >= 1; --last) {
    if (word.size() > last) {
      line.shorter[line.shorterCount++] = EndingKey(word, last);
    }
  }
  return line;
}

}  // namespace

TwinContexts::TwinContexts(std::string_view table) {
  // Open addressing, at most half full with a context a line: a word's contexts are looked
  // up at every word the decoder meets for the first time.
  const auto lines = static_cast<std::size_t>(std::count(table.begin(), table.end(), '\n')) + 1;
  std::size_t slots = 16;
  while (slots < 2 * lines) {
    slots *= 2;
  }
  slots_.assign(slots, Slot{});
  // Each context's counts before twins of each kind, and its shorter contexts.
  struct Counted {
    std::array<std::uint64_t, kLongestEnding> shorter{};
    std::size_t shorterCount = 0;
    std::array<std::array<std::uint32_t, 2>, kKinds> seen{};  // before -ии, before -ий
    std::array<bool, kKinds> has{};
  };
  // A context a line at most: room for all at once, rather than copies on fresh pages as the
  // vector would double.
  std::vector<Counted> counted;
  counted.reserve(std::min(lines, std::size_t{kUnseen}));
  Counted all;
  while (!table.empty()) {
    const std::size_t end = std::min(table.find('\n'), table.size());
    const std::optional<Line> line = ReadLine(table.substr(0, end));
    table.remove_prefix(std::min(end + 1, table.size()));
    if (!line) {
      continue;
    }
    Counted* counts = &all;
    if (!line->all) {
      std::size_t slot = SlotOf(line->key);
      while (slots_[slot].key != 0 && slots_[slot].key != line->key) {
        slot = (slot + 1) & (slots_.size() - 1);
      }
      if (slots_[slot].key == 0) {
        if (counted.size() == kUnseen) {
          continue;
        }
        slots_[slot] = {line->key, static_cast<std::uint16_t>(counted.size())};
        counted.push_back({line->shorter, line->shorterCount});
      }
      counts = &counted[slots_[slot].entry];
    }
    counts->seen[line->kind] = {line->i, line->shortI};
    counts->has[line->kind] = true;
  }
  entries_.resize(counted.size());
  // The share of "-ий" among twins of each kind, after any word.
  std::array<double, kKinds> base;
  for (int kind = 0; kind < kKinds; ++kind) {
    base[kind] = (all.seen[kind][1] + 1.0) / (all.seen[kind][0] + all.seen[kind][1] + 2.0);
  }
  // Each context's share leans on that of the next shorter context of the same word ("-сии"
  // on "-ии"), by as much as kLean twins would: a word seen before a few twins is not taken
  // at its word alone. A context seen too seldom before one kind has the share of the
  // shorter one.
  std::vector<std::array<double, kKinds>> shares(counted.size());
  std::vector<bool> done(counted.size());
  const auto resolve = [&](const auto& self, std::size_t at) -> void {
    if (done[at]) {
      return;
    }
    const Counted& own = counted[at];
    std::optional<std::uint16_t> shorter;
    for (std::size_t link = 0; link < own.shorterCount && !shorter; ++link) {
      shorter = Find(own.shorter[link]);
    }
    if (shorter) {
      self(self, *shorter);
    }
    Entry& entry = entries_[at];
    for (int kind = 0; kind < kKinds; ++kind) {
      double& share = shares[at][kind];
      share = shorter ? shares[*shorter][kind] : base[kind];
      entry.seen[kind] = own.has[kind] || (shorter && entries_[*shorter].seen[kind]);
      if (own.has[kind]) {
        const auto [i, shortI] = own.seen[kind];
        share = (shortI + kLean * share) / (i + shortI + kLean);
      }
    }
    done[at] = true;
  };
  for (std::size_t at = 0; at < counted.size(); ++at) {
    resolve(resolve, at);
    Entry& entry = entries_[at];
    for (int kind = 0; kind < kKinds; ++kind) {
      if (entry.seen[kind]) {
        entry.odds[kind] = static_cast<float>(Logit(shares[at][kind]) - Logit(base[kind]));
        entry.confident[kind] = std::abs(entry.odds[kind]) >= kConfident;
      }
    }
  }
  nothingBefore_ = Find(WordKey(u".")).value_or(kUnseen);
}

const TwinContexts& TwinContexts::BuiltIn() {
  static const TwinContexts table(kTwinContexts);
  return table;
}

std::uint16_t TwinContexts::ContextOf(std::u16string_view previous) const {
  if (previous.empty()) {
    return kUnseen;
  }
  if (const std::optional<std::uint16_t> found = Find(WordKey(previous))) {
    return *found;
  }
  for (std::size_t letters = kLongestEnding; letters >= 1; --letters) {
    if (previous.size() > letters) {
      if (const std::optional<std::uint16_t> found = Find(EndingKey(previous, letters))) {
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

std::size_t TwinContexts::SlotOf(std::uint64_t key) const {
  // The multiplier spreads packed letters, which differ in their low bits, over the high bits.
  return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15u) >> 40) & (slots_.size() - 1);
}

std::optional<std::uint16_t> TwinContexts::Find(std::uint64_t key) const {
  if (slots_.empty()) {
    return std::nullopt;
  }
  for (std::size_t slot = SlotOf(key);; slot = (slot + 1) & (slots_.size() - 1)) {
    if (slots_[slot].key == key) {
      return slots_[slot].entry;
    }
    if (slots_[slot].key == 0) {
      return std::nullopt;
    }
  }
}

}  // namespace lettermorph
