#pragma once

#include <QApplication>
#include <QWidget>
#include <QtTest>

namespace lettermorph {

// Every test must close what it opened; a window left over would leak into the next test.
inline void VerifyNoWindowsLeft() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  const QWidgetList left = QApplication::topLevelWidgets();
  for (QWidget* widget : left) {
    qWarning() << "left over:" << widget;
  }
  QVERIFY(left.isEmpty());
}

// The top-level windows of one kind.
template <typename T>
QList<T*> TopLevel() {
  QList<T*> found;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* match = qobject_cast<T*>(widget)) {
      found << match;
    }
  }
  return found;
}

// The widgets the Tab key visits after `start`, in order, until it comes back round.
inline QWidgetList TabStopsFrom(QWidget* start) {
  QWidgetList stops{start};
  for (QWidget* next = start->nextInFocusChain(); next != start; next = next->nextInFocusChain()) {
    if ((next->focusPolicy() & Qt::TabFocus) && next->isEnabled() &&
        next->window() == start->window()) {
      stops << next;
    }
  }
  return stops;
}

// Types `text` into `widget` one key event per character, Cyrillic included, which
// QTest::keyClicks cannot do.
inline void TypeText(QWidget* widget, const QString& text) {
  for (QChar c : text) {
    QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
}

}  // namespace lettermorph
