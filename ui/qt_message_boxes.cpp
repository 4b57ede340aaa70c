#include "ui/qt_message_boxes.h"

#include <QMessageBox>
#include <QTextBoundaryFinder>

namespace lettermorph {
namespace {

// Keeps each file name that a message quotes «like this» on one line. The box wraps its text
// wherever the line breaking rules allow, which in a path is after every slash: "«/" could end
// one line and "settings.ini»" begin the next. A word joiner, which shows as nothing, at each
// such place inside the quotes forbids the break there.
QString KeepQuotedNamesWhole(const QString& text) {
  constexpr QChar kWordJoiner(0x2060);
  QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, text);
  QString kept;
  bool quoted = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (quoted) {
      breaks.setPosition(i);
      if (breaks.isAtBoundary()) {
        kept += kWordJoiner;
      }
    }
    kept += text[i];
    if (text[i] == u'«') {
      quoted = true;
    } else if (text[i] == u'»') {
      quoted = false;
    }
  }
  return kept;
}

void Show(QWidget* owner, QMessageBox::Icon icon, const QString& title, const QString& text) {
  QMessageBox box(icon, title, KeepQuotedNamesWhole(text), QMessageBox::Ok, owner);
  box.exec();
}

}  // namespace

void QtMessageBoxes::Inform(QWidget* owner, const QString& title, const QString& text) {
  Show(owner, QMessageBox::NoIcon, title, text);
}

void QtMessageBoxes::Warn(QWidget* owner, const QString& title, const QString& text) {
  Show(owner, QMessageBox::Warning, title, text);
}

}  // namespace lettermorph
