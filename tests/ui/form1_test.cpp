#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "fakes.h"
#include "settings/settings_file.h"
#include "ui/form1.h"
#include "ui/frmhelp.h"
#include "ui/frmsettings.h"
#include "ui/twips.h"
#include "window_checks.h"

namespace lettermorph {

class Form1Test : public QObject {
  Q_OBJECT

 private:
  template <typename T>
  T* Child(const char* name) {
    return window_->findChild<T*>(QString::fromLatin1(name));
  }
  QLineEdit* Input() { return Child<QLineEdit>("txtText"); }
  QPlainTextEdit* Output() { return Child<QPlainTextEdit>("txtOut"); }
  void Click(const char* button) { QTest::mouseClick(Child<QPushButton>(button), Qt::LeftButton); }
  void Trigger(const char* action) { Child<QAction>(action)->trigger(); }

  std::filesystem::path IniPath() const {
    return directory_->filePath(QStringLiteral("settings.ini")).toStdString();
  }
  void Start() {
    const Platform platform{clipboard_, shell_, boxes_};
    window_ = std::make_unique<Form1>(platform, SettingsFile(CodePage::Named("UTF-8"), IniPath()));
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }
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
  static float OuterWidth(const QWidget& w) { return Twips(w.frameGeometry().width()); }
  static float OuterHeight(const QWidget& w) { return Twips(w.frameGeometry().height()); }

  // The positions the layout rule gives for the current outer size, within half a pixel.
  void VerifyLayout() {
    const float width = OuterWidth(*window_);
    const float height = OuterHeight(*window_);
    QVERIFY2(width > Form1::kMinimumWidth, qPrintable(QString::number(width)));
    QVERIFY2(height > Form1::kMinimumHeight, qPrintable(QString::number(height)));
    const auto near = [](float twips, float expected) {
      return std::abs(twips - expected) <= 7.5f;
    };
    const std::pair<const char*, int> buttons[] = {{"cmdDo", 345},
                                                   {"cmdClPaste", 843},
                                                   {"cmdClCopy", 1341},
                                                   {"cmdClear", 1839},
                                                   {"cmdOptions", 2340}};
    for (const auto& [name, top] : buttons) {
      const QRect geometry = Child<QPushButton>(name)->geometry();
      QVERIFY2(near(Twips(geometry.x()), width - 2100), name);
      QCOMPARE(geometry.topLeft().y(), Pixels(top));
      QCOMPARE(geometry.size(), TwipsSize(1695, 375));
    }
    QVERIFY(near(Twips(Input()->width()), width - 2300));
    QVERIFY(near(Twips(Output()->width()), width - 2300));
    QVERIFY(near(Twips(Output()->height()), height - 2200));
    QCOMPARE(Input()->pos(), TwipsRect(90, 390, 0, 0).topLeft());
    QCOMPARE(Input()->height(), Pixels(285));
    QCOMPARE(Output()->pos(), TwipsRect(90, 1125, 0, 0).topLeft());
    QCOMPARE(Child<QLabel>("Label2")->geometry(), TwipsRect(90, 90, 3300, 195));
    QCOMPARE(Child<QLabel>("Label3")->geometry(), TwipsRect(90, 855, 3120, 285));
  }

  std::unique_ptr<QTemporaryDir> directory_;
  FakeClipboard clipboard_;
  RecordingShell shell_;
  RecordingMessageBoxes boxes_;
  std::unique_ptr<Form1> window_;

 private Q_SLOTS:
  void init() {
    directory_ = std::make_unique<QTemporaryDir>();
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

  void startsWithItsControlsAndMenus() {
    Start();
    QCOMPARE(window_->windowTitle(), QStringLiteral("Lettermorph"));
    QCOMPARE(Input()->text(), QStringLiteral("Введите текст"));
    QCOMPARE(Output()->toPlainText(), QString());
    QCOMPARE(window_->focusWidget(), Input());
    QCOMPARE(Output()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QCOMPARE(Output()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

    const std::pair<const char*, QString> captions[] = {
        {"cmdDo", QStringLiteral("Перекодировать")},
        {"cmdClPaste", QStringLiteral("Вставить из буфера")},
        {"cmdClCopy", QStringLiteral("Копировать в буфер")},
        {"cmdClear", QStringLiteral("Очистить")},
        {"cmdOptions", QStringLiteral("Настройки")}};
    for (const auto& [name, caption] : captions) {
      auto* button = Child<QPushButton>(name);
      QCOMPARE(button->text(), caption);
      QVERIFY(!button->autoDefault() && !button->isDefault());
      QVERIFY2(button->fontMetrics().horizontalAdvance(caption) < button->width() - 4, name);
    }
    QStringList menus;
    for (QAction* menu : window_->menuBar()->actions()) {
      menus << menu->text();
      for (QAction* item : menu->menu()->actions()) {
        menus << "  " + item->text();
        QVERIFY(item->shortcut().isEmpty());
      }
    }
    QCOMPARE(menus, (QStringList{"Файл", "  Настройки", "  Выход", "Помощь", "  О программе"}));

    QCOMPARE(TabStopsFrom(Input()),
             (QWidgetList{Input(), Output(), Child<QPushButton>("cmdOptions"),
                          Child<QPushButton>("cmdClear"), Child<QPushButton>("cmdClCopy"),
                          Child<QPushButton>("cmdDo"), Child<QPushButton>("cmdClPaste")}));
  }

  void layoutRule_data() {
    QTest::addColumn<QSize>("requested");
    QTest::addColumn<QSize>("expected");
    // 5500 x 3800 twips is 366.7 x 253.3 pixels; the rule rounds up to stay above it.
    QTest::newRow("smaller than the minimum") << QSize(200, 100) << QSize(367, 254);
    QTest::newRow("a pixel under the minimum") << QSize(366, 253) << QSize(367, 254);
    QTest::newRow("at the minimum") << QSize(367, 254) << QSize(367, 254);
    QTest::newRow("wider by 100 pixels") << QSize(467, 254) << QSize(467, 254);
    QTest::newRow("higher by 100 pixels") << QSize(367, 354) << QSize(367, 354);
    QTest::newRow("only too narrow") << QSize(100, 500) << QSize(367, 500);
    QTest::newRow("only too low") << QSize(700, 10) << QSize(700, 254);
  }

  void layoutRule() {
    QFETCH(QSize, requested);
    QFETCH(QSize, expected);
    Start();
    const QSize frameExtra = window_->frameGeometry().size() - window_->size();
    window_->resize(requested - frameExtra);
    QCOMPARE(window_->frameGeometry().size(), expected);
    VerifyLayout();
  }

  void layoutRuleWhenMaximised() {
    Start();
    window_->showMaximized();
    QTRY_VERIFY(window_->isMaximized());
    QTRY_VERIFY(window_->width() > 600);
    VerifyLayout();
  }

  void enterAndTheButtonRecodeAlike() {
    Start();
    QTest::keyClick(Input(), Qt::Key_Return);
    QCOMPARE(Output()->toPlainText(), QStringLiteral("BBeguTe TekcT"));
    QCOMPARE(Input()->text(), QStringLiteral("Введите текст"));

    Input()->setText(QStringLiteral("Жук\tи Ёж"));
    Click("cmdDo");
    const QString byButton = Output()->toPlainText();
    QCOMPARE(byButton, QStringLiteral("}|{yk\tu E}|{"));
    QTest::keyClick(Input(), Qt::Key_Enter);
    QCOMPARE(Output()->toPlainText(), byButton);

    Output()->setFocus();
    QTest::keyClick(Output(), Qt::Key_Return);
    QVERIFY(Output()->toPlainText().contains(u'\n'));
  }

  void recodingUsesUnsavedEditsOfTheSettingsWindow() {
    Start();
    Click("cmdOptions");
    frmSettings* settings = TopLevel<frmSettings>().value(0);
    QVERIFY(settings != nullptr && settings->isVisible());
    auto* field = settings->findChild<QLineEdit*>(QStringLiteral("txtSym(0)"));
    QTest::keyClicks(field, QStringLiteral("4"));
    Input()->setText(QStringLiteral("АаА"));
    Click("cmdDo");
    QCOMPARE(Output()->toPlainText(), QStringLiteral("4\u04304"));
    QVERIFY(!std::filesystem::exists(IniPath()));
  }

  void startReadsSettingsIntoTheWindow() {
    std::ofstream(IniPath(), std::ios::binary) << "first\r\n\r\nthird\r\n";
    Start();
    QTest::keyClick(Input(), Qt::Key_Return);
    Input()->setText(QStringLiteral("АБВГ"));
    Click("cmdDo");
    QCOMPARE(Output()->toPlainText(), QStringLiteral("firstthirdr"));
    Trigger("Options");
    auto* settings = TopLevel<frmSettings>().value(0);
    QCOMPARE(settings->findChild<QLineEdit*>(QStringLiteral("txtSym(2)"))->text(), "third");
    QVERIFY(boxes_.shown.empty());
  }

  void pasteReplacesTheWholeInput() {
    Start();
    Output()->setPlainText(QStringLiteral("old result"));
    Input()->setSelection(0, 3);
    clipboard_.text = QStringLiteral("строка 1\r\nстрока 2");
    Click("cmdClPaste");
    QCOMPARE(Input()->text(), QStringLiteral("строка 1\r\nстрока 2"));
    QCOMPARE(Output()->toPlainText(), QStringLiteral("old result"));
    QVERIFY(boxes_.shown.empty());
  }

  void pasteWithoutTextSaysSo() {
    Start();
    Click("cmdClPaste");
    QCOMPARE(boxes_.shown.size(), 1u);
    QCOMPARE(boxes_.shown[0].title, QStringLiteral("Ошибка"));
    QCOMPARE(boxes_.shown[0].text, QStringLiteral("В буфере обмена нет текста"));
    QVERIFY(!boxes_.shown[0].warning);
    QCOMPARE(Input()->text(), QStringLiteral("Введите текст"));
  }

  void copyEmptiesTheClipboardThenPutsTheWholeOutput() {
    Start();
    clipboard_.text = QStringLiteral("picture stand-in");
    Click("cmdClCopy");
    QCOMPARE(clipboard_.events, (QStringList{"clear", "set"}));
    QCOMPARE(clipboard_.text, QString());

    Output()->setPlainText(QStringLiteral("a\u00A0b\nc\u2028d"));
    Output()->moveCursor(QTextCursor::End);
    Click("cmdClCopy");
    QCOMPARE(clipboard_.text, QStringLiteral("a\u00A0b\nc\u2028d"));
  }

  void clearEmptiesBothBoxesAndKeepsTheFocus() {
    Start();
    QTest::keyClick(Input(), Qt::Key_Return);
    Input()->setFocus();
    Child<QPushButton>("cmdClear")->click();
    QCOMPARE(Input()->text(), QString());
    QCOMPARE(Output()->toPlainText(), QString());
    QCOMPARE(window_->focusWidget(), Input());
  }

  void oneSettingsWindowDestroyedWithTheMainWindow() {
    Start();
    Click("cmdOptions");
    Trigger("Options");
    QCOMPARE(TopLevel<frmSettings>().size(), 1);
    QPointer<frmSettings> settings = TopLevel<frmSettings>().value(0);
    QVERIFY(settings->isVisible());
    QTest::keyClicks(settings->findChild<QLineEdit*>(QStringLiteral("txtSym(5)")), "!");

    Trigger("Exit");
    QVERIFY(settings.isNull());
    QVERIFY(!std::filesystem::exists(IniPath()));
  }

  void oneAboutWindowThatOutlivesTheMainWindow() {
    Start();
    Trigger("About");
    Trigger("About");
    QCOMPARE(TopLevel<frmHelp>().size(), 1);
    QPointer<frmHelp> about = TopLevel<frmHelp>().value(0);
    QVERIFY(about->isVisible());

    about->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(about.isNull());
    Trigger("About");
    about = TopLevel<frmHelp>().value(0);
    QVERIFY(about != nullptr && about->isVisible());

    window_->close();
    window_.reset();
    QVERIFY(!about.isNull() && about->isVisible());
    QTest::mouseClick(about->findChild<QPushButton*>(QStringLiteral("cmdSite")), Qt::LeftButton);
    QCOMPARE(shell_.opened.size(), 1);
  }
};

}  // namespace lettermorph

QTEST_MAIN(lettermorph::Form1Test)
#include "form1_test.moc"
