#include "case_model.h"

namespace lettermorph {
namespace {

// Each new observation at a place weighs as much as the last fourteen or so together.
constexpr float kKeep = 0.95f;
// Line starts, options' descriptions and messages after a label of code ("%s: ") follow the
// layout of the text at hand, which changes from one part to the next (one program's messages
// or options to another's): there the last few words weigh more.
constexpr float kKeepAtLineStart = 0.9f;
// How much the habit of plain line starts together adds to that of one kind of them: each
// kind alone sees too few words whose look-alikes show their case.
constexpr float kPlainLineWeight = 2;

}  // namespace

CaseModel::CaseModel() {
  for (int kind = 0; kind < WordPlace::kKinds; ++kind) {
    for (int detail = 0; detail < kDetails; ++detail) {
      Count first{1, 1};
      Count capitals{0.3f, 3};
      switch (kind) {
        case WordPlace::kSentenceStart:
          first = {8, 0.5f};
          break;
        case WordPlace::kAfterAbbreviation:
          first = {0.5f, 2};
          break;
        case WordPlace::kAfterInitial:
        case WordPlace::kAfterColonQuote:
          first = {3, 1};
          break;
        case WordPlace::kLineStart: {
          // Usual layouts: a line indented further or starting with a dash starts an item or
          // a line of dialogue; a line that goes on after a long one, as hard-wrapped prose
          // does, goes on with the sentence, and one after a short line that no comma ends
          // follows a heading or a paragraph of its own.
          const int end = WordPlace::LineEndOf(detail);
          const int indent = WordPlace::IndentOf(detail);
          const bool longBefore = WordPlace::LongBefore(detail);
          const bool dash = WordPlace::StartsWithDash(detail);
          first.yes += (dash ? 2 : 0) + (indent == WordPlace::kMoreIndent ? 2 : 0) +
                       (end == WordPlace::kEndsInColon ? 1.5f : 0);
          first.no += (longBefore && indent == WordPlace::kSameIndent ? 3 : 0) +
                      (end == WordPlace::kEndsInComma ? 1 : 0);
          first.yes += !longBefore && end != WordPlace::kEndsInComma ? 1 : 0;
          capitals = {0.5f, 2};
          break;
        }
        case WordPlace::kAfterOpening:
        case WordPlace::kAfterColon:
        case WordPlace::kAfterDash:
          first = {1, 2};
          break;
        case WordPlace::kColumnStart:
          // Descriptions in a column start small or capitalised as the text's habit is.
          first = {1, 1};
          break;
        case WordPlace::kAfterOther:
          // Such as the cells of a table, "│ Значение │", or a title after "/".
          first = {2, 1};
          break;
        case WordPlace::kAfterControl:
          first = {2, 1};
          break;
        case WordPlace::kInSentence:
          // After a word in capitals, the next may go on in capitals ("ДВОЙНАЯ ЛИНИЯ").
          first = detail == 1 ? Count{0.5f, 2} : Count{0.3f, 10};
          capitals = detail == 1 ? Count{2, 1} : Count{0.3f, 3};
          break;
        default:
          break;
      }
      firstPrior_[kind][detail] = first;
      capitalsPrior_[kind][detail] = capitals;
    }
  }
}

bool CaseModel::PlainLineCapitalised(WordPlace place, const Count& seen, const Count& prior) const {
  // The lines of a list, a message or an item each, start as the line before did where it
  // showed how, whatever most lines did; but a line after a long one may go on with
  // hard-wrapped prose, whose sentences start anywhere, and one after a comma or a colon
  // goes on with what that line started.
  const int end = WordPlace::LineEndOf(place.detail);
  if (lineBefore_ != kUnshown &&
      (end == WordPlace::kEndsInLetter || end == WordPlace::kEndsOther) &&
      (lineBefore_ == 0 || !WordPlace::LongBefore(place.detail))) {
    return lineBefore_ == 1;
  }
  // A comma or a semicolon leaves the sentence open: the line after it goes on with it,
  // whatever other lines do.
  if (end == WordPlace::kEndsInComma) {
    return Favours(seen, prior);
  }
  return seen.yes + prior.yes + kPlainLineWeight * plainLines_.yes >
         seen.no + prior.no + kPlainLineWeight * plainLines_.no;
}

bool CaseModel::InCapitals(WordPlace place) const {
  return Favours(capitals_[place.kind][place.detail], capitalsPrior_[place.kind][place.detail]);
}

void CaseModel::LearnFirstOutside(WordPlace place, bool capital) {
  Add(first_[place.kind][place.detail], capital,
      place.kind == WordPlace::kLineStart || place.kind == WordPlace::kDescription ||
              (place.kind == WordPlace::kAfterColon && place.detail == 1)
          ? kKeepAtLineStart
          : kKeep);
  if (PlainLine(place) || (place.kind == WordPlace::kSentenceStart && place.detail == 1)) {
    Add(plainLines_, capital, kKeepAtLineStart);
  }
}

void CaseModel::LearnCapitals(WordPlace place, bool capitals) {
  Add(capitals_[place.kind][place.detail], capitals, kKeep);
}

void CaseModel::Add(Count& count, bool yes, float keep) {
  count.yes = count.yes * keep + (yes ? 1 : 0);
  count.no = count.no * keep + (yes ? 0 : 1);
}

}  // namespace lettermorph
