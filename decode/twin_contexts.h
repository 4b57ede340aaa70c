#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace lettermorph {

// What the word right before a noun in "-ии" or "-ий" says of its ending, where recoded text
// spells both alike: "при версии", "нескольких версий". Counted in text by kind of noun, so
// that one noun's neighbours serve every noun of its kind, and by the word before: itself
// where it was seen often enough ("при", "несколько"), or else its ending ("-ких"). Only what was
// seen often enough is kept; elsewhere it says nothing.
class TwinContexts {
 public:
  enum Kind : std::uint8_t {
    kLikeVersion,  // "версия": "-ии" singular, "-ий" genitive plural
    kLikeMessage,  // "сообщение": "-ии" prepositional, "-ий" genitive plural
    kLikeComment,  // "комментарий": "-ий" nominative, "-ии" plural
    kVowelBefore,  // "а", "е" or "о" before the last letter: "случай", "идеи"
    kKinds
  };
  // A word before that no kept context fits.
  static constexpr std::uint16_t kUnseen = 0xFFFF;
  // Odds are kept in eighths of a natural logarithm.
  static constexpr float kOddsUnit = 8.0f;

  // Reads a table of lines "kind<TAB>context<TAB>count before -ии<TAB>count before -ий"; lines
  // starting with "#", and lines it cannot read, are skipped.
  explicit TwinContexts(std::string_view table);

  // The table built into the program.
  static const TwinContexts& BuiltIn();

  // The context that `previous`, a word in small letters, makes for a twin after it.
  std::uint16_t ContextOf(std::u16string_view previous) const;
  // The context of a twin with no word right before it: after punctuation or a number.
  std::uint16_t NothingBefore() const { return nothingBefore_; }

  // Whether a twin of `kind` after `context` is the one in "-ий", given `shortIOdds`, the
  // odds of "-ий" that the frequencies of the two forms give (in eighths of a natural
  // logarithm); nothing where the context was seen too seldom before twins of that kind, or
  // says too little of them.
  std::optional<bool> PrefersShortI(Kind kind, std::uint16_t context, std::int8_t shortIOdds) const;

 private:
  struct Entry {
    std::array<float, kKinds> odds{};      // the log-odds of "-ий" the context adds
    std::array<bool, kKinds> seen{};       // seen before twins of the kind, or a shorter one was
    std::array<bool, kKinds> confident{};  // and its odds are far enough from even
  };

  // A context's key and its entry. No key is 0, which marks an empty slot.
  struct Slot {
    std::uint64_t key = 0;
    std::uint16_t entry = 0;
  };
  std::size_t SlotOf(std::uint64_t key) const;
  std::optional<std::uint16_t> Find(std::uint64_t key) const;

  std::vector<Slot> slots_;     // by a context's letters, packed or hashed
  std::vector<Entry> entries_;  // one a context
  std::uint16_t nothingBefore_ = kUnseen;
};

}  // namespace lettermorph
