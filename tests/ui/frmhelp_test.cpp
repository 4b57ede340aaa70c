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

  void captionsAndOneRequestPerPress() {
    RecordingShell shell;
    QPointer<frmHelp> window = new frmHelp(shell);
    window->show();
    const auto text = [&](const char* name) {
      return window->findChild<QLabel*>(QString::fromLatin1(name))->text();
    };
    QCOMPARE(window->size(), TwipsSize(3975, 1980));
    QCOMPARE(text("Label3"), QStringLiteral("Lettermorph 1.0"));
    QCOMPARE(text("Label1"), QStringLiteral("Программа перекодирования слов в похожие, "
                                            "написанные латинскими буквами. "));
    QCOMPARE(text("Label2"), QStringLiteral("Введите текст на русском в верхнее поле и нажмите "
                                            "\"Перекодировать\"."));

    auto* site = window->findChild<QPushButton*>(QStringLiteral("cmdSite"));
    QCOMPARE(site->text(), QStringLiteral(LETTERMORPH_SITE_URL));
    QVERIFY(site->fontMetrics().horizontalAdvance(site->text()) < site->width());
    QCOMPARE(window->focusWidget(), site);
    QTest::mouseClick(site, Qt::LeftButton);
    QCOMPARE(shell.opened, QStringList{QStringLiteral(LETTERMORPH_SITE_URL)});
    QTest::mouseClick(site, Qt::LeftButton);
    QTest::keyClick(site, Qt::Key_Return);
    QTest::keyClick(site, Qt::Key_Space);
    QCOMPARE(shell.opened.size(), 4);

    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(window.isNull());
  }
};

}  // namespace lettermorph

QTEST_MAIN(lettermorph::FrmHelpTest)
#include "frmhelp_test.moc"
