#include "ui/line_breaks.h"

#include <QLineEdit>
#include <algorithm>

namespace lettermorph {

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

}  // namespace lettermorph
