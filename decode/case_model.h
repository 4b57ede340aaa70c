#pragma once

#include <array>
#include <cstdint>

namespace lettermorph {

// Where a word stands, as far as the case of its first letter goes. Most look-alikes keep a
// letter's case ("6" is "Б" and "б"), so the text's own habits decide: after a full stop a
// capital, mid-sentence a small letter, and at the start of a line whatever the text's layout
// says (verse and headings start with capitals, hard-wrapped prose does not).
struct WordPlace {
  enum Kind : std::uint8_t {
    kSentenceStart,      // the text's start, after . ! ? … or a blank line
    kAfterAbbreviation,  // after "см." or "т. д.", which seldom end a sentence
    kAfterInitial,       // after "А." and the like, before a name
    kLineStart,          // the first word of a line that does not start a sentence
    kAfterOpening,       // after an opening bracket, or with detail 1 a quote
    kAfterColonQuote,    // after a colon and an opening quote: quoted speech
    kAfterColon,         // its detail is 1 after a label of code or English ("%s:")
    kColumnStart,  // after a wide gap inside a line, or a term that starts it: "EINVAL Значение"
    kAfterDash,
    kAfterOther,    // after other punctuation; after a table's "│", the detail is its column
    kAfterControl,  // after a control's noun, before its name: "кнопку Отмена"
    kInSentence,
    kDescription,  // an option's description, after a wide gap or on the lines under it
    kKinds
  };
  // How the line before a line start ends, and how the new line is indented beside it.
  static constexpr int kEndsInLetter = 0, kEndsInComma = 1, kEndsInColon = 2, kEndsOther = 3;
  static constexpr int kSameIndent = 0, kMoreIndent = 1, kLessIndent = 2;

  // The detail of a line start, and back.
  static std::uint8_t LineDetail(int end, int indent, bool longBefore, bool dash) {
    return static_cast<std::uint8_t>(end + 4 * (indent + 3 * (longBefore + 2 * dash)));
  }
  static int LineEndOf(int detail) { return detail % 4; }
  static int IndentOf(int detail) { return detail / 4 % 3; }
  static bool LongBefore(int detail) { return detail / 12 % 2; }
  static bool StartsWithDash(int detail) { return detail / 24 % 2; }

  Kind kind = kInSentence;
  // At a line start, LineDetail(); at a sentence start, 1 where the sentence starts a line as
  // the line before started, after a line that the text did not wrap; elsewhere 0, or 1 after
  // a word written in capitals.
  std::uint8_t detail = 0;
};

// What the text itself shows about case at each kind of place: words whose look-alikes fix
// the case of their first letter ("Ecnu", "ecnu") are counted, recent ones weighing most, and
// a word that could be either takes what the count favours, starting from what is usual.
class CaseModel {
 public:
  CaseModel();

  // Whether a word at `place` takes a capital first letter, and whether one that may be in
  // capitals is.
  bool Capitalised(WordPlace place) const {
    const Count& seen = first_[place.kind][place.detail];
    const Count& prior = firstPrior_[place.kind][place.detail];
    return PlainLine(place) ? PlainLineCapitalised(place, seen, prior) : Favours(seen, prior);
  }
  bool InCapitals(WordPlace place) const;

  // A word whose look-alikes showed its case. Inside a sentence a word is small unless it is
  // a name, whatever others did before it: there, where most words stand, nothing is learned.
  void LearnFirst(WordPlace place, bool capital) {
    if (place.kind != WordPlace::kInSentence) {
      LearnFirstOutside(place, capital);
    }
  }
  void LearnCapitals(WordPlace place, bool capitals);

  // How the line before started, capitalised or small, where its first word's look-alikes
  // showed it; kUnshown where they did not.
  static constexpr int kUnshown = -1;
  void SetLineBefore(int firstCapital) { lineBefore_ = firstCapital; }

  static constexpr int kDetails = 64;

 private:
  struct Count {
    float yes = 0;
    float no = 0;
  };
  using Counts = std::array<std::array<Count, kDetails>, WordPlace::kKinds>;

  void LearnFirstOutside(WordPlace place, bool capital);
  bool PlainLineCapitalised(WordPlace place, const Count& seen, const Count& prior) const;
  static bool Favours(const Count& seen, const Count& prior) {
    return seen.yes + prior.yes > seen.no + prior.no;
  }
  static bool PlainLine(WordPlace place) {
    return place.kind == WordPlace::kLineStart &&
           WordPlace::IndentOf(place.detail) == WordPlace::kSameIndent &&
           !WordPlace::StartsWithDash(place.detail);
  }
  static void Add(Count& count, bool yes, float keep);

  Counts first_{};
  Counts capitals_{};
  Counts firstPrior_{};
  Counts capitalsPrior_{};
  // Line starts at the indent of the line before and without a dash, however that line ends,
  // a full stop too: a text of one message or item a line capitalises all of them or none.
  Count plainLines_{};
  int lineBefore_ = kUnshown;
};

}  // namespace lettermorph
