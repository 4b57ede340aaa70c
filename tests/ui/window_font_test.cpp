#include <QFontDatabase>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "fakes.h"
#include "settings/settings_file.h"
#include "ui/main_window.h"
#include "ui/settings_window.h"
#include "window_checks.h"

namespace lettermorph {

// The windows' face as the platform's own font database offers it. Run under Wine with the
// faces Windows has, a bitmap "MS Sans Serif" among them, where the windows must choose an
// outline face: a bitmap face does not grow with the display's scale, and at 100% its captions
// are cut.
class WindowFontTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void outlineFaceWhoseCaptionsFit() {
    QTemporaryDir directory;
    FakeClipboard clipboard;
    RecordingShell shell;
    RecordingMessageBoxes boxes;
    {
      const MainWindow window(
          Platform{clipboard, shell, boxes},
          SettingsFile(CodePage::Named("UTF-8"),
                       directory.filePath(QStringLiteral("settings.ini")).toStdString()));
      QList<QPushButton*> buttons = window.findChildren<QPushButton*>();
      buttons << TopLevel<SettingsWindow>().value(0)->findChildren<QPushButton*>();
      QCOMPARE(buttons.size(), 8);
      for (const QPushButton* button : buttons) {
        const QString face = button->font().family();
        QVERIFY2(QFontDatabase::isSmoothlyScalable(face), qPrintable(face));
        QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) < button->width() - 4,
                 qPrintable(face + QStringLiteral(": ") + button->text()));
      }
    }
    VerifyNoWindowsLeft();
  }
};

}  // namespace lettermorph

QTEST_MAIN(lettermorph::WindowFontTest)
#include "window_font_test.moc"
