#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>

#include "fakes.h"
#include "settings/settings_file.h"
#include "ui/frmsettings.h"
#include "ui/text_bridge.h"
#include "ui/twips.h"
#include "window_checks.h"

namespace lettermorph {

class FrmSettingsTest : public QObject {
  Q_OBJECT

 private:
  QLineEdit* Field(int slot) { return window_->findChild<QLineEdit*>(FieldName(slot)); }
  QPushButton* Button(const char* name) {
    return window_->findChild<QPushButton*>(QString::fromLatin1(name));
  }
  static QString FieldName(int slot) { return QStringLiteral("txtSym(%1)").arg(slot); }
  std::filesystem::path IniPath() const {
    return std::filesystem::path(
        directory_->filePath(QStringLiteral("settings.ini")).toStdString());
  }

  std::unique_ptr<QTemporaryDir> directory_;
  std::unique_ptr<ReplacementTable> table_;
  std::unique_ptr<SettingsFile> file_;
  RecordingMessageBoxes boxes_;
  std::unique_ptr<frmSettings> window_;

 private Q_SLOTS:
  void init() {
    directory_ = std::make_unique<QTemporaryDir>();
    table_ = std::make_unique<ReplacementTable>();
    file_ = std::make_unique<SettingsFile>(CodePage::Named("CP1251"), IniPath());
    boxes_.shown.clear();
    window_ = std::make_unique<frmSettings>(*table_, *file_, boxes_);
  }

  void cleanup() {
    window_.reset();
    VerifyNoWindowsLeft();
  }

  void window() {
    QCOMPARE(window_->windowTitle(), QStringLiteral("Настройки"));
    QCOMPARE(window_->size(), TwipsSize(7230, 6870));
    QCOMPARE(window_->minimumSize(), window_->maximumSize());
    const Qt::WindowFlags flags = window_->windowFlags();
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(window_->isHidden());
    QCOMPARE(Button("Command1")->text(), QStringLiteral("Сохранить"));
    QCOMPARE(Button("Command3")->text(), QStringLiteral("Сбросить"));
    QCOMPARE(Button("Command2")->text(), QStringLiteral("Закрыть"));
    QCOMPARE(window_->findChild<QLabel*>(QStringLiteral("Label2"))->text(),
             QStringLiteral("Буквы и то, чем их заменять"));
  }

  void placement_data() {
    QTest::addColumn<int>("slot");
    QTest::addColumn<QRect>("label");
    QTest::addColumn<QRect>("field");
    const int left[] = {195, 825, 1455, 2115, 2790, 3420, 4065, 4725, 5355, 6000, 6615};
    const int tops[3][4] = {
        {945, 1245, 1635, 1905}, {2700, 3015, 3465, 3780}, {4560, 4830, 5235, 5505}};
    for (int slot = 0; slot < kSlotCount; ++slot) {
      const bool capital = slot < 33;
      const int index = capital ? slot : slot - 33;
      const int* rowTops = tops[index / 11];
      const int column = left[index % 11];
      const int fieldLeft = slot == 30 ? 5385 : column;
      const int fieldWidth = slot == 0 || slot == 33 ? 375 : 420;
      QTest::addRow("slot %d", slot)
          << slot << TwipsRect(column, rowTops[capital ? 0 : 2], 465, 285)
          << TwipsRect(fieldLeft, rowTops[capital ? 1 : 3], fieldWidth, 285);
    }
  }

  void placement() {
    QFETCH(int, slot);
    QFETCH(QRect, label);
    QFETCH(QRect, field);
    const auto* letter = window_->findChild<QLabel*>(QStringLiteral("Label1(%1)").arg(slot));
    QCOMPARE(letter->geometry(), label);
    QCOMPARE(letter->text(), QString(QChar(*table_->LetterAt(slot))));
    QCOMPARE(letter->focusPolicy(), Qt::NoFocus);
    QCOMPARE(Field(slot)->geometry(), field);
  }

  void tabOrderAndFirstFocus() {
    QWidgetList expected;
    const auto run = [&](int first, int last) {
      for (int slot = first;; slot += first <= last ? 1 : -1) {
        expected << Field(slot);
        if (slot == last) {
          break;
        }
      }
    };
    run(32, 15), run(13, 9), run(42, 46), run(48, 65), run(41, 37), run(35, 33);
    run(0, 2), run(4, 8), run(3, 3), run(36, 36), run(47, 47), run(14, 14);
    expected << Button("Command1") << Button("Command2") << Button("Command3");
    QCOMPARE(expected.size(), 69);
    QCOMPARE(TabStopsFrom(Field(32)), expected);

    window_->ShowInFront();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    QCOMPARE(window_->focusWidget(), Field(32));
  }

  void fieldsFollowTheTable() {
    QCOMPARE(Field(0)->text(), QString());
    QCOMPARE(Field(7)->text(), QStringLiteral("}|{"));
    QCOMPARE(Field(33)->text(), QStringLiteral("\u0430"));

    QVERIFY(table_->SetReplacement(5, u"five"));
    QCOMPARE(Field(5)->text(), QStringLiteral("five"));
    QTest::mouseClick(Button("Command3"), Qt::LeftButton);
    for (int slot = 0; slot < kSlotCount; ++slot) {
      QCOMPARE(Field(slot)->text(), ToQString(ResetDefaults[slot]));
    }
    QVERIFY(boxes_.shown.empty());
    QVERIFY(!std::filesystem::exists(IniPath()));

    // A value holding a line feed, which no field can be typed with, is shown and kept.
    QVERIFY(table_->SetReplacement(9, u"a\nb"));
    QCOMPARE(Field(9)->text(), QStringLiteral("a\nb"));
    QCOMPARE(*table_->ReplacementAt(9), u"a\nb");
  }

  void enormousValuesAreShownInPartAndKeptWhole() {
    const std::u16string enormous(5'000'000, u'z');
    QVERIFY(table_->SetReplacement(4, enormous));
    QCOMPARE(Field(4)->text().size(), 32767);
    QVERIFY(Field(4)->isReadOnly());
    QVERIFY(Field(4)->toolTip().contains(QStringLiteral("5000000")));
    QCOMPARE(table_->ReplacementAt(4)->size(), enormous.size());

    table_->ApplyResetDefaults();
    QCOMPARE(Field(4)->text(), QStringLiteral("D"));
    QVERIFY(!Field(4)->isReadOnly());
    QVERIFY(Field(4)->toolTip().isEmpty());
  }

  void editsReachTheTableAtOnce() {
    int notifications = 0;
    auto counting = table_->Subscribe([&](int) { ++notifications; });
    Field(7)->selectAll();
    TypeText(Field(7), QStringLiteral("ЖЖ"));
    QCOMPARE(*table_->ReplacementAt(7), u"ЖЖ");
    QCOMPARE(notifications, 2);
    QTest::keyClick(Field(7), Qt::Key_Backspace);
    QCOMPARE(*table_->ReplacementAt(7), u"Ж");
    Field(7)->selectAll();
    QTest::keyClick(Field(7), Qt::Key_Delete);
    QCOMPARE(*table_->ReplacementAt(7), u"");
  }

  void pastedLineBreaksAreDropped() {
    Field(1)->setText(QStringLiteral("xy"));
    Field(1)->setCursorPosition(1);
    QGuiApplication::clipboard()->setText(QStringLiteral("a\r\nb\n"));
    Field(1)->paste();
    QCOMPARE(Field(1)->text(), QStringLiteral("xaby"));
    QCOMPARE(*table_->ReplacementAt(1), u"xaby");
    QCOMPARE(Field(1)->cursorPosition(), 3);
  }

  void enterAndEscapeDoNothing() {
    window_->ShowInFront();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
      QTest::keyClick(Field(12), static_cast<Qt::Key>(key));
    }
    QVERIFY(window_->isVisible());
    QVERIFY(boxes_.shown.empty());
    QVERIFY(!std::filesystem::exists(IniPath()));
  }

  void saveWritesTheFileAndConfirms() {
    QVERIFY(table_->SetReplacement(27, u""));
    QTest::mouseClick(Button("Command1"), Qt::LeftButton);
    QTest::mouseClick(Button("Command1"), Qt::LeftButton);
    QCOMPARE(boxes_.shown.size(), 2u);
    for (const auto& box : boxes_.shown) {
      QCOMPARE(box.title, QStringLiteral("Настройки сохранены"));
      QCOMPARE(box.text, QStringLiteral("Настройки программы сохранены"));
      QVERIFY(!box.warning);
      QCOMPARE(box.owner, window_.get());
    }
    ReplacementTable reloaded;
    reloaded.ApplyResetDefaults();
    file_->LoadSettings(reloaded);
    for (int slot = 0; slot < kSlotCount; ++slot) {
      QCOMPARE(*reloaded.ReplacementAt(slot), *table_->ReplacementAt(slot));
    }
  }

  void failedSaveWarnsAndKeepsEverything() {
    std::filesystem::create_directory(IniPath());
    QVERIFY(table_->SetReplacement(3, u"edited"));
    QTest::mouseClick(Button("Command1"), Qt::LeftButton);
    QCOMPARE(boxes_.shown.size(), 1u);
    const auto& box = boxes_.shown.front();
    QVERIFY(box.warning);
    QCOMPARE(box.title, QStringLiteral("Настройки не сохранены"));
    QVERIFY2(box.text.contains(QStringLiteral("settings.ini")), qPrintable(box.text));
    QVERIFY(box.text.contains(QStringLiteral("Прежний файл настроек не изменён")));
    QCOMPARE(*table_->ReplacementAt(3), u"edited");
    QCOMPARE(Field(3)->text(), QStringLiteral("edited"));
    QVERIFY(std::filesystem::is_directory(IniPath()));
  }

  void saveNamesLettersTheCodePageCannotHold() {
    QVERIFY(table_->SetReplacement(7, u"中"));
    QVERIFY(table_->SetReplacement(40, u"\u20AC\u263A"));
    QTest::mouseClick(Button("Command1"), Qt::LeftButton);
    QCOMPARE(boxes_.shown.size(), 1u);
    QVERIFY(boxes_.shown.front().warning);
    QVERIFY2(boxes_.shown.front().text.contains(QStringLiteral("Ж, ж")),
             qPrintable(boxes_.shown.front().text));
    QVERIFY(std::filesystem::exists(IniPath()));
  }

  void closeOnlyHides() {
    window_->ShowInFront();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    QTest::keyClicks(Field(20), QStringLiteral("!"));
    QTest::mouseClick(Button("Command2"), Qt::LeftButton);
    QVERIFY(window_->isHidden());
    window_->ShowInFront();
    QVERIFY(window_->close() == false);
    QVERIFY(window_->isHidden());
    window_->ShowInFront();
    QCOMPARE(Field(20)->text(), QStringLiteral("Y!"));
    QCOMPARE(*table_->ReplacementAt(20), u"Y!");
  }
};

}  // namespace lettermorph

QTEST_MAIN(lettermorph::FrmSettingsTest)
#include "frmsettings_test.moc"
