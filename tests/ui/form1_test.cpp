#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "fakes.h"
#include "settings/settings_file.h"
#include "ui/form1.h"
#include "ui/frmhelp.h"
#include "ui/frmsettings.h"
#include "ui/twips.h"
#include "version.h"
#include "window_checks.h"

namespace lettermorph {

class Form1Test : public QObject {
  Q_OBJECT

 private:
  template <typename T = QPushButton>
  T* Child(const char* name) {
    return window_->findChild<T*>(QString::fromLatin1(name));
  }
  QLineEdit* Input() { return Child<QLineEdit>("txtText"); }
  QPlainTextEdit* Output() { return Child<QPlainTextEdit>("txtOut"); }
  void Click(const char* button) { QTest::mouseClick(Child(button), Qt::LeftButton); }
  void Trigger(const char* action) { Child<QAction>(action)->trigger(); }
  template <typename T>
  static QList<T*> TopLevel() {
    QList<T*> found;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* match = qobject_cast<T*>(widget)) {
        found << match;
      }
    }
    return found;
  }

  std::filesystem::path IniPath() const {
    return directory_.filePath(QStringLiteral("settings.ini")).toStdString();
  }
  void Start() {
    const Platform platform{clipboard_, shell_, boxes_};
    window_ = std::make_unique<Form1>(platform, SettingsFile(CodePage::Named("UTF-8"), IniPath()));
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }

  // Where the layout rule puts things for the current outer size, to within half a pixel.
  void VerifyLayout() {
    const float width = Twips(window_->frameGeometry().width());
    const float height = Twips(window_->frameGeometry().height());
    QVERIFY(width > Form1::kMinimumWidth && height > Form1::kMinimumHeight);
    const auto near = [](float twips, float expected) {
      return std::abs(twips - expected) <= 7.5f;
    };
    const std::pair<const char*, int> buttons[] = {{"cmdDo", 345},
                                                   {"cmdClPaste", 843},
                                                   {"cmdClCopy", 1341},
                                                   {"cmdClear", 1839},
                                                   {"cmdOptions", 2340}};
    for (const auto& [name, top] : buttons) {
      QVERIFY2(near(Twips(Child(name)->x()), width - 2100), name);
      QCOMPARE(Child(name)->y(), Pixels(top));
    }
    QVERIFY(near(Twips(Input()->width()), width - 2300));
    QVERIFY(near(Twips(Output()->width()), width - 2300));
    QVERIFY(near(Twips(Output()->height()), height - 2200));
    QCOMPARE(Input()->geometry(), TwipsRect(90, 390, Input()->width() * 15, 285));
    QCOMPARE(Output()->pos(), TwipsRect(90, 1125, 0, 0).topLeft());
  }

  QTemporaryDir directory_;
  FakeClipboard clipboard_;
  RecordingShell shell_;
  RecordingMessageBoxes boxes_;
  std::unique_ptr<Form1> window_;

 private Q_SLOTS:
  void init() {
    std::filesystem::remove_all(IniPath());
    clipboard_ = {};
    shell_.opened.clear();
    boxes_.shown.clear();
  }

  void cleanup() {
    window_.reset();
    for (frmHelp* about : TopLevel<frmHelp>()) {
      about->close();
    }
    VerifyNoWindowsLeft();
  }

  void startsWithFocusMenusAndCaptionsThatFit() {
    Start();
    QCOMPARE(Input()->text(), QStringLiteral("Введите текст"));
    QCOMPARE(window_->focusWidget(), Input());
    for (const char* name : {"cmdDo", "cmdClPaste", "cmdClCopy", "cmdClear", "cmdOptions"}) {
      QVERIFY2(Child(name)->fontMetrics().horizontalAdvance(Child(name)->text()) <
                   Child(name)->width() - 4,
               name);
    }
    QCOMPARE(TabStopsFrom(Input()),
             (QWidgetList{Input(), Output(), Child("cmdOptions"), Child("cmdClear"),
                          Child("cmdClCopy"), Child("cmdDo"), Child("cmdClPaste")}));
  }

  // All three windows carry the program's icon, at every size the build renders.
  void windowsCarryTheProgramIcon() {
    Start();
    Trigger("About");
    const QWidgetList windows{window_.get(), TopLevel<frmSettings>().value(0),
                              TopLevel<frmHelp>().value(0)};
    for (QWidget* window : windows) {
      QList<QSize> sizes = window->windowIcon().availableSizes();
      std::sort(sizes.begin(), sizes.end(), [](QSize a, QSize b) { return a.width() < b.width(); });
      QCOMPARE(sizes, (QList<QSize>{QSize(48, 48), QSize(128, 128), QSize(256, 256)}));
    }
  }

  void layoutRule_data() {
    QTest::addColumn<QSize>("requested");
    QTest::addColumn<QSize>("expected");
    // 5500 x 3800 twips is 366.7 x 253.3 pixels; the rule rounds up to stay above it.
    QTest::newRow("smaller than the minimum") << QSize(200, 100) << QSize(367, 254);
    QTest::newRow("wider and higher by 100 pixels") << QSize(467, 354) << QSize(467, 354);
    QTest::newRow("only too narrow") << QSize(100, 500) << QSize(367, 500);
  }

  void layoutRule() {
    QFETCH(QSize, requested);
    QFETCH(QSize, expected);
    Start();
    window_->resize(requested - (window_->frameGeometry().size() - window_->size()));
    QCOMPARE(window_->frameGeometry().size(), expected);
    VerifyLayout();
    window_->showMaximized();
    QTRY_VERIFY(window_->width() > expected.width());
    VerifyLayout();
  }

  void recodeByEnterOrButtonWithUnsavedEdits() {
    Start();
    QTest::keyClick(Input(), Qt::Key_Return);
    QCOMPARE(Output()->toPlainText(), QStringLiteral("BBeguTe TekcT"));
    QCOMPARE(Input()->text(), QStringLiteral("Введите текст"));

    Click("cmdOptions");
    auto* field =
        TopLevel<frmSettings>().value(0)->findChild<QLineEdit*>(QStringLiteral("txtSym(0)"));
    QTest::keyClicks(field, QStringLiteral("4"));
    Input()->setText(QStringLiteral("Жук\tи АаЁж"));
    Click("cmdDo");
    QCOMPARE(Output()->toPlainText(), QStringLiteral("}|{yk\tu 4\u0430E}|{"));
    QTest::keyClick(Input(), Qt::Key_Enter);
    QCOMPARE(Output()->toPlainText(), QStringLiteral("}|{yk\tu 4\u0430E}|{"));
    QVERIFY(!std::filesystem::exists(IniPath()));
  }

  void startReadsSettingsSilently() {
    std::ofstream(IniPath(), std::ios::binary) << "first\r\n\r\nthird\r\n";
    Start();
    Input()->setText(QStringLiteral("АБВГ"));
    Click("cmdDo");
    QCOMPARE(Output()->toPlainText(), QStringLiteral("firstthirdr"));
    QVERIFY(boxes_.shown.empty());
  }

  void pasteReplacesTheWholeInputOrSaysThereIsNoText() {
    Start();
    Click("cmdClPaste");
    QCOMPARE(boxes_.shown.size(), 1u);
    QCOMPARE(boxes_.shown[0].title, QStringLiteral("Ошибка"));
    QCOMPARE(boxes_.shown[0].text, QStringLiteral("В буфере обмена нет текста"));
    QVERIFY(!boxes_.shown[0].warning);
    QCOMPARE(Input()->text(), QStringLiteral("Введите текст"));

    Output()->setPlainText(QStringLiteral("old result"));
    Input()->setSelection(0, 3);
    clipboard_.text = QStringLiteral("строка 1\r\nстрока 2");
    Click("cmdClPaste");
    QCOMPARE(Input()->text(), QStringLiteral("строка 1\r\nстрока 2"));
    QCOMPARE(Output()->toPlainText(), QStringLiteral("old result"));
  }

  void copyThenClear() {
    Start();
    clipboard_.text = QStringLiteral("something");
    Click("cmdClCopy");
    QCOMPARE(clipboard_.events, (QStringList{"clear", "set"}));
    QCOMPARE(clipboard_.text, QString());
    // Non-breaking and line separators survive, which the plain-text view would flatten.
    Output()->setPlainText(QStringLiteral("a\u00A0b\nc\u2028d"));
    Click("cmdClCopy");
    QCOMPARE(clipboard_.text, QStringLiteral("a\u00A0b\nc\u2028d"));

    Input()->setFocus();
    Child("cmdClear")->click();
    QCOMPARE(Input()->text(), QString());
    QCOMPARE(Output()->toPlainText(), QString());
    QCOMPARE(window_->focusWidget(), Input());
  }

  void settingsWindowIsOneAndGoesWithTheMainWindow() {
    Start();
    Click("cmdOptions");
    Trigger("Options");
    QCOMPARE(TopLevel<frmSettings>().size(), 1);
    QPointer<frmSettings> settings = TopLevel<frmSettings>().value(0);
    QVERIFY(settings->isVisible());
    Trigger("Exit");
    QVERIFY(settings.isNull());
    QVERIFY(!std::filesystem::exists(IniPath()));
  }

  // One about window at a time; each press of its button is one request to the shell.
  void aboutWindowIsOneAndOutlivesTheMainWindow() {
    Start();
    Trigger("About");
    Trigger("About");
    QCOMPARE(TopLevel<frmHelp>().size(), 1);
    QPointer<frmHelp> about = TopLevel<frmHelp>().value(0);
    auto* site = about->findChild<QPushButton*>(QStringLiteral("cmdSite"));
    QCOMPARE(about->focusWidget(), site);
    QVERIFY(site->fontMetrics().horizontalAdvance(site->text()) < site->width());
    QTest::mouseClick(site, Qt::LeftButton);
    QTest::keyClick(site, Qt::Key_Return);
    QTest::keyClick(site, Qt::Key_Space);
    QCOMPARE(shell_.opened, QStringList(3, QStringLiteral(LETTERMORPH_SITE_URL)));

    about->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(about.isNull());
    Trigger("About");
    about = TopLevel<frmHelp>().value(0);
    window_->close();
    window_.reset();
    QVERIFY(!about.isNull() && about->isVisible());
  }
};

}  // namespace lettermorph

QTEST_MAIN(lettermorph::Form1Test)
#include "form1_test.moc"
