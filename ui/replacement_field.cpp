#include "ui/replacement_field.h"

#include <QApplication>
#include <QEvent>
#include <algorithm>
#include <limits>

#include "alt_key_filter.h"
#include "ui/text_bridge.h"

namespace lettermorph {
namespace {

// How much of a replacement too long to show whole is shown.
constexpr std::size_t kShownPart = 32767;

// Takes out any CR or LF that was typed or pasted in, keeping the cursor at the same place in
// the rest of the text: a pasted "abc\r\n" becomes "abc" and the text around it stays.
void DropLineBreaks(QLineEdit& field) {
  const auto isBreak = [](QChar c) { return c == u'\r' || c == u'\n'; };
  QString text = field.text();
  if (std::none_of(text.cbegin(), text.cend(), isBreak)) {
    return;
  }
  const int cursor = field.cursorPosition();
  const auto before = std::count_if(text.cbegin(), text.cbegin() + cursor, isBreak);
  text.removeIf(isBreak);
  field.setText(text);
  field.setCursorPosition(cursor - static_cast<int>(before));
}

}  // namespace

ReplacementField::ReplacementField(QWidget* parent) : QLineEdit(parent) {
  setMaxLength(std::numeric_limits<int>::max());
  KeepAltKeysFromEditing(this);
  connect(this, &QLineEdit::textEdited, this, &ReplacementField::TakeEdit);
}

void ReplacementField::Show(std::u16string_view value) {
  if (ToView(text()) == value) {
    return;
  }
  showsPart_ = value.size() > kLongestShownWhole;
  if (showsPart_) {
    shownPart_ = ToQString(value.substr(0, kShownPart));
    setText(shownPart_);
    setToolTip(QStringLiteral("Замена слишком длинная, чтобы показать её целиком (%1 символов), "
                              "и видно только её начало. Чтобы заменить её, выделите всё "
                              "(Ctrl+A) и введите новую.")
                   .arg(value.size()));
  } else {
    setText(ToQString(value));
    setToolTip({});
  }
}

// Every way the user edits, keys, input methods, the context menu and dropping, comes through
// one of these events, and the edit happens while it is handled.
bool ReplacementField::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::Drop:
      allSelected_ = text().isEmpty() || selectedText().size() == text().size();
      cursorBefore_ = cursorPosition();
      break;
    default:
      break;
  }
  return QLineEdit::event(event);
}

void ReplacementField::TakeEdit() {
  if (showsPart_) {
    if (!allSelected_) {
      QApplication::beep();
      setText(shownPart_);
      setCursorPosition(cursorBefore_);
      return;
    }
    // Undoing this edit would bring back the part alone, so the history starts afresh.
    showsPart_ = false;
    setToolTip({});
    const int cursor = cursorPosition();
    setText(text());
    setCursorPosition(cursor);
  }
  DropLineBreaks(*this);
  Q_EMIT ValueEdited(text());
}

}  // namespace lettermorph
