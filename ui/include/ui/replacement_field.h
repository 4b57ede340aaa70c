#pragma once

#include <QLineEdit>
#include <QString>
#include <string_view>

namespace lettermorph {

// One field of the settings window: a single-line editor of one slot's replacement that never
// locks, whatever is typed or pasted into it. Line breaks cannot be brought into it.
//
// A replacement too long to lay out, which only a hand-made settings file can hold, is shown
// in part. The user can still replace it or clear it as a whole, by selecting all and typing,
// deleting or pasting; any other edit of the part shown is refused, so that the hidden rest
// is never lost by accident.
class ReplacementField : public QLineEdit {
  Q_OBJECT

 public:
  // The longest replacement shown whole: a million characters lay out in a fraction of a
  // second.
  static constexpr std::size_t kLongestShownWhole = 1 << 20;

  explicit ReplacementField(QWidget* parent);

  // Shows `value`, which came from elsewhere than this field.
  void Show(std::u16string_view value);
  // Whether the field shows only the start of its value.
  bool ShowsPart() const { return showsPart_; }

 Q_SIGNALS:
  // The user made `value` the replacement.
  void ValueEdited(const QString& value);

 protected:
  bool event(QEvent* event) override;

 private:
  void TakeEdit();

  bool showsPart_ = false;
  QString shownPart_;
  // Where the text stood before the edit in progress: all of it selected, and the cursor.
  bool allSelected_ = false;
  int cursorBefore_ = 0;
};

}  // namespace lettermorph
