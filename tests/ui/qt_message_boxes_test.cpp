#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "ui/qt_message_boxes.h"
#include "window_checks.h"

namespace lettermorph {

class QtMessageBoxesTest : public QObject {
  Q_OBJECT

 private:
  struct Seen {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::Critical;
    QStringList buttons;
    bool modal = false;
  };

  // Reads the box that `show` opens, then answers it with its OK button.
  template <typename Show>
  static Seen AnswerBoxOpenedBy(Show show) {
    Seen seen;
    QTimer::singleShot(0, [&seen] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box != nullptr);
      seen = {box->windowTitle(), box->text(), box->icon(), {}, box->isModal()};
      for (QAbstractButton* button : box->buttons()) {
        seen.buttons << button->text();
      }
      box->button(QMessageBox::Ok)->click();
    });
    show();
    return seen;
  }

 private Q_SLOTS:
  void cleanup() { VerifyNoWindowsLeft(); }

  void informHasNoIconAndWarnHasOne() {
    QWidget owner;
    owner.show();
    QtMessageBoxes boxes;
    const Seen inform = AnswerBoxOpenedBy([&] {
      boxes.Inform(&owner, QStringLiteral("Ошибка"), QStringLiteral("В буфере обмена нет текста"));
    });
    QCOMPARE(inform.title, QStringLiteral("Ошибка"));
    QCOMPARE(inform.text, QStringLiteral("В буфере обмена нет текста"));
    QCOMPARE(inform.icon, QMessageBox::NoIcon);
    QCOMPARE(inform.buttons.size(), 1);
    QVERIFY(inform.modal);

    const Seen warn = AnswerBoxOpenedBy(
        [&] { boxes.Warn(&owner, QStringLiteral("t"), QStringLiteral("failure")); });
    QCOMPARE(warn.icon, QMessageBox::Warning);
    QCOMPARE(warn.buttons.size(), 1);
  }
};

}  // namespace lettermorph

QTEST_MAIN(lettermorph::QtMessageBoxesTest)
#include "qt_message_boxes_test.moc"
