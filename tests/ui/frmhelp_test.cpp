#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "fakes.h"
#include "ui/frmhelp.h"
#include "ui/twips.h"
#include "version.h"
#include "window_checks.h"

namespace lettermorph {

class FrmHelpTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void cleanup() { VerifyNoWindowsLeft(); }

  void showsNameDescriptionAndHint() {
    RecordingShell shell;
    auto* window = new frmHelp(shell);
    QCOMPARE(window->windowTitle(), QStringLiteral("О программе"));
    QCOMPARE(window->size(), TwipsSize(3975, 1980));
    QCOMPARE(window->minimumSize(), window->maximumSize());
    QVERIFY(!(window->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));

    const auto label = [window](const char* name) {
      return window->findChild<QLabel*>(QString::fromLatin1(name));
    };
    QCOMPARE(label("Label3")->text(), QStringLiteral("Lettermorph 1.0"));
    QCOMPARE(label("Label1")->text(),
             QStringLiteral("Программа перекодирования слов в похожие, написанные латинскими "
                            "буквами. "));
    QCOMPARE(label("Label2")->text(),
             QStringLiteral("Введите текст на русском в верхнее поле и нажмите "
                            "\"Перекодировать\"."));
    for (const char* name : {"Label1", "Label2", "Label3"}) {
      QVERIFY(label(name)->alignment() & Qt::AlignHCenter);
      QVERIFY(label(name)->wordWrap());
      QCOMPARE(label(name)->focusPolicy(), Qt::NoFocus);
    }
    QCOMPARE(label("Label1")->geometry(), TwipsRect(135, 360, 3705, 465));

    auto* site = window->findChild<QPushButton*>(QStringLiteral("cmdSite"));
    QCOMPARE(site->text(), QStringLiteral(LETTERMORPH_SITE_URL));
    QCOMPARE(site->geometry(), TwipsRect(877, 1440, 2220, 375));
    QVERIFY2(site->fontMetrics().horizontalAdvance(site->text()) < site->width(),
             "the address fits its button");
    window->close();
  }

  void eachPressOfTheButtonMakesOneRequest() {
    RecordingShell shell;
    auto* window = new frmHelp(shell);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    auto* site = window->findChild<QPushButton*>(QStringLiteral("cmdSite"));
    QCOMPARE(window->focusWidget(), site);

    QTest::mouseClick(site, Qt::LeftButton);
    QCOMPARE(shell.opened, QStringList{QStringLiteral(LETTERMORPH_SITE_URL)});
    QTest::mouseClick(site, Qt::LeftButton);
    QTest::keyClick(site, Qt::Key_Return);
    QTest::keyClick(site, Qt::Key_Space);
    QCOMPARE(shell.opened.size(), 4);
    QVERIFY(window->isVisible());
    window->close();
  }

  void closingDestroysTheWindow() {
    RecordingShell shell;
    QPointer<frmHelp> window = new frmHelp(shell);
    window->show();
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(window.isNull());
  }
};

}  // namespace lettermorph

QTEST_MAIN(lettermorph::FrmHelpTest)
#include "frmhelp_test.moc"
