#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolTip>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "main_window_harness.h"
#include "ui/qt_translation.h"
#include "ui/settings_window.h"
#include "version.h"

namespace lettermorph {

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  template <typename T = QPushButton>
  T* Child(const char* name) {
    return main_.Child<T>(name);
  }
  QLineEdit* Input() { return Child<QLineEdit>("txtText"); }
  QPlainTextEdit* Output() { return Child<QPlainTextEdit>("txtOut"); }
  void Click(const char* button) { QTest::mouseClick(Child(button), Qt::LeftButton); }
  void Trigger(const char* action) { Child<QAction>(action)->trigger(); }
  // Types over the settings window's field of "ж".
  void TypeReplacementOfZhe(const QString& replacement) {
    Click("cmdOptions");
    auto* field =
        TopLevel<SettingsWindow>().value(0)->findChild<QLineEdit*>(QStringLiteral("txtSym(40)"));
    field->selectAll();
    QTest::keyClicks(field, replacement);
  }
  void Recode(const QString& text) {
    Input()->setText(text);
    Click("cmdDo");
  }

  MainWindowHarness main_;

 private Q_SLOTS:
  void initTestCase() { LoadQtRussianTexts(*QCoreApplication::instance()); }

  void cleanup() { main_.Stop(); }

  void startsWithFocusInTheInput() {
    main_.Start();
    QCOMPARE(main_.window->focusWidget(), Input());
    QCOMPARE(TabStopsFrom(Input()),
             (QWidgetList{Input(), Output(), Child("cmdOptions"), Child("cmdClear"),
                          Child("cmdClCopy"), Child("cmdDo"), Child("cmdClPaste")}));
    // Enter right after start recodes the initial text itself.
    QTest::keyClick(Input(), Qt::Key_Return);
    QCOMPARE(Output()->toPlainText(), QStringLiteral("BBeguTe TekcT"));
  }

  // Sizes in pixels, 15 twips each. The offscreen platform's frame adds 4 pixels each way.
  // The buttons stand 2100 twips left of the outer right edge, the boxes end 200 twips before
  // them, and txtOut ends 2200 twips above the outer bottom edge; 5500 x 3800 twips is the
  // smallest outer size, rounded up to 367 x 254 pixels.
  void layoutRule_data() {
    QTest::addColumn<QSize>("requested");  // outer
    QTest::addColumn<QSize>("outer");
    QTest::addColumn<int>("buttonsLeft");
    QTest::addColumn<int>("boxWidth");
    QTest::addColumn<int>("outputHeight");
    QTest::newRow("smaller than the minimum")
        << QSize(200, 100) << QSize(367, 254) << 227 << 214 << 107;
    QTest::newRow("only too narrow") << QSize(100, 500) << QSize(367, 500) << 227 << 214 << 353;
    QTest::newRow("only too low") << QSize(500, 100) << QSize(500, 254) << 360 << 347 << 107;
    QTest::newRow("larger") << QSize(467, 354) << QSize(467, 354) << 327 << 314 << 207;
  }

  void layoutRule() {
    QFETCH(QSize, requested);
    main_.Start();
    main_.window->resize(requested - QSize(4, 4));
    QTEST(main_.window->frameGeometry().size(), "outer");
    for (const char* name : {"cmdDo", "cmdClPaste", "cmdClCopy", "cmdClear", "cmdOptions"}) {
      QTEST(Child(name)->x(), "buttonsLeft");
    }
    QTEST(Input()->width(), "boxWidth");
    QTEST(Output()->width(), "boxWidth");
    QTEST(Output()->height(), "outputHeight");
    // Nothing else moves: the boxes' left and top edges, the input's height, the buttons' tops.
    QCOMPARE(Input()->geometry().topLeft(), QPoint(6, 26));
    QCOMPARE(Input()->height(), 19);
    QCOMPARE(Output()->geometry().topLeft(), QPoint(6, 75));
    QCOMPARE(Child("cmdOptions")->y(), 156);
  }

  // Input of any length is taken whole, and recoding uses edits that were never saved.
  void recodeByEnterOrButtonWithUnsavedEdits() {
    main_.Start();
    Click("cmdOptions");
    auto* field =
        TopLevel<SettingsWindow>().value(0)->findChild<QLineEdit*>(QStringLiteral("txtSym(0)"));
    QTest::keyClicks(field, QStringLiteral("4"));
    Recode(QStringLiteral("Жук\tи АаЁж"));
    QCOMPARE(Output()->toPlainText(), QStringLiteral("}|{yk\tu 4\u0430E}|{"));
    Output()->clear();
    QTest::keyClick(Input(), Qt::Key_Enter);
    QCOMPARE(Output()->toPlainText(), QStringLiteral("}|{yk\tu 4\u0430E}|{"));
    QVERIFY(!std::filesystem::exists(main_.IniPath()));

    main_.clipboard.text = QString(40000, u'ы');
    Click("cmdClPaste");
    QCOMPARE(Input()->text().size(), 40000);
    QTest::keyClick(Input(), Qt::Key_Return);
    QCOMPARE(Output()->toPlainText(), QStringLiteral("bI").repeated(40000));
  }

  void startReadsSettingsSilently() {
    std::ofstream(main_.IniPath(), std::ios::binary) << "first\r\n\r\nthird\r\n";
    main_.Start();
    Recode(QStringLiteral("АБВГ"));
    QCOMPARE(Output()->toPlainText(), QStringLiteral("firstthirdr"));
    QVERIFY(main_.boxes.shown.empty());
  }

  void pasteCopyAndClear() {
    main_.Start();
    Click("cmdClPaste");
    QCOMPARE(main_.boxes.shown.size(), 1u);
    QCOMPARE(main_.boxes.shown[0].title, QStringLiteral("Ошибка"));
    QCOMPARE(main_.boxes.shown[0].text, QStringLiteral("В буфере обмена нет текста"));
    QVERIFY(!main_.boxes.shown[0].warning);
    QCOMPARE(Input()->text(), QStringLiteral("Введите текст"));

    Output()->setPlainText(QStringLiteral("old result"));
    Input()->setSelection(0, 3);
    main_.clipboard.text = QStringLiteral("строка 1\r\nстрока 2");
    Click("cmdClPaste");
    QCOMPARE(Input()->text(), QStringLiteral("строка 1\r\nстрока 2"));
    QCOMPARE(Output()->toPlainText(), QStringLiteral("old result"));

    // Non-breaking and line separators survive, which the plain-text view would flatten.
    Output()->setPlainText(QStringLiteral("a\u00A0b\nc\u2028d"));
    Click("cmdClCopy");
    QCOMPARE(main_.clipboard.events, (QStringList{"clear", "set"}));
    QCOMPARE(main_.clipboard.text, QStringLiteral("a\u00A0b\nc\u2028d"));
    Output()->clear();
    Click("cmdClCopy");
    QCOMPARE(main_.clipboard.text, QString());

    Output()->setPlainText(QStringLiteral("result"));
    Input()->setFocus();
    Child("cmdClear")->click();
    QCOMPARE(Input()->text(), QString());
    QCOMPARE(Output()->toPlainText(), QString());
    QCOMPARE(main_.window->focusWidget(), Input());
  }

  // The menu's Decode reads the input box into the output box with the table as it is now,
  // unsaved edits included; an edit means another index of words, not the old one.
  void decodeWithTheCurrentTable() {
    main_.Start();
    Input()->setText(QStringLiteral("}|{yk"));
    Trigger("Decode");
    QCOMPARE(Output()->toPlainText(), QStringLiteral("Жук"));
    QCOMPARE(Input()->text(), QStringLiteral("}|{yk"));
    Input()->setText(QStringLiteral("MbI nuIIIem nucbmo."));
    Trigger("Decode");
    QCOMPARE(Output()->toPlainText(), QStringLiteral("Мы пишем письмо."));

    TypeReplacementOfZhe(QStringLiteral("zh"));
    Input()->setText(QStringLiteral("zhyk"));
    Trigger("Decode");
    QCOMPARE(Output()->toPlainText(), QStringLiteral("жук"));
    QVERIFY(!QToolTip::isVisible());
  }

  // Without a dictionary the built-in words still decode, and the window says once, quietly,
  // that this is less accurate.
  void decodeWithoutDictionarySaysSoOnce() {
    main_.words.dictionary = main_.directory.filePath(QStringLiteral("missing")).toStdString();
    main_.Start();
    Input()->setText(QStringLiteral("}|{yk"));
    Trigger("Decode");
    QCOMPARE(Output()->toPlainText(), QStringLiteral("Жук"));
    QCOMPARE(QToolTip::text(),
             QStringLiteral("Словарь русского языка не удалось прочитать: слова расшифрованы по "
                            "встроенному списку, менее точно."));
    QVERIFY(main_.boxes.shown.empty());
    QToolTip::hideText();
    QTRY_VERIFY(!QToolTip::isVisible());
    TypeReplacementOfZhe(QStringLiteral("zh"));
    Trigger("Decode");
    QVERIFY(!QToolTip::isVisible());
  }

  // Enter presses the button that has the focus; Alt never types, while AltGr, which Windows
  // reports as Ctrl+Alt, does; Qt's own texts are Russian.
  void keysAndQtTexts() {
    main_.Start();
    QTest::keyClick(Child("cmdClear"), Qt::Key_Return);
    QTest::keyClick(Output(), Qt::Key_F, Qt::AltModifier);
    QTest::keyClick(Input(), Qt::Key_Backspace, Qt::AltModifier);
    QTest::keyClick(Input(), Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(Input()->text(), QStringLiteral("q"));
    QCOMPARE(Output()->toPlainText(), QString());
    const std::unique_ptr<QMenu> menu(Input()->createStandardContextMenu());
    QCOMPARE(menu->actions().value(0)->text(), QStringLiteral("&Отменить действие\tCtrl+Z"));

    // One settings window, whether from the button or the menu; it goes with the main window.
    QTest::keyClick(Child("cmdOptions"), Qt::Key_Enter);
    Trigger("Options");
    QCOMPARE(TopLevel<SettingsWindow>().size(), 1);
    QPointer<SettingsWindow> settings = TopLevel<SettingsWindow>().value(0);
    QVERIFY(settings->isVisible());
    Trigger("Exit");
    QVERIFY(settings.isNull());
    QVERIFY(!std::filesystem::exists(main_.IniPath()));
  }

  // One about window at a time; each press of its button is one request to the shell.
  void aboutWindowIsOneAndOutlivesTheMainWindow() {
    main_.Start();
    Trigger("About");
    Trigger("About");
    QCOMPARE(TopLevel<AboutWindow>().size(), 1);
    QPointer<AboutWindow> about = TopLevel<AboutWindow>().value(0);
    auto* site = about->findChild<QPushButton*>(QStringLiteral("cmdSite"));
    QCOMPARE(about->focusWidget(), site);
    QTest::mouseClick(site, Qt::LeftButton);
    QTest::keyClick(site, Qt::Key_Return);
    QTest::keyClick(site, Qt::Key_Space);
    QCOMPARE(main_.shell.opened, QStringList(3, QStringLiteral(LETTERMORPH_SITE_URL)));

    about->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(about.isNull());
    Trigger("About");
    about = TopLevel<AboutWindow>().value(0);
    main_.window->close();
    main_.window.reset();
    QVERIFY(!about.isNull() && about->isVisible());
  }
};

}  // namespace lettermorph

QTEST_MAIN(lettermorph::MainWindowTest)
#include "main_window_test.moc"
