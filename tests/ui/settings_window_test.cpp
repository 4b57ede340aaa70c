#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "../support/faults.h"
#include "fakes.h"
#include "settings/settings_file.h"
#include "ui/replacement_field.h"
#include "ui/settings_window.h"
#include "window_checks.h"

namespace lettermorph {

class SettingsWindowTest : public QObject {
  Q_OBJECT

 private:
  ReplacementField* Field(int slot) {
    return window_->findChild<ReplacementField*>(QStringLiteral("txtSym(%1)").arg(slot));
  }
  QPushButton* Button(const char* name) {
    return window_->findChild<QPushButton*>(QString::fromLatin1(name));
  }
  std::filesystem::path IniPath() const {
    return directory_.filePath(QStringLiteral("settings.ini")).toStdString();
  }
  void Open(FaultHook faults = {}) {
    file_ = std::make_unique<SettingsFile>(CodePage::Named("CP1251"), IniPath(), std::move(faults));
    window_ = std::make_unique<SettingsWindow>(*table_, *file_, boxes_);
  }
  QString Table(int slot) const {
    return QString::fromStdU16String(std::u16string(*table_->ReplacementAt(slot)));
  }

  QTemporaryDir directory_;
  std::unique_ptr<ReplacementTable> table_;
  std::unique_ptr<SettingsFile> file_;
  RecordingMessageBoxes boxes_;
  std::unique_ptr<SettingsWindow> window_;

 private Q_SLOTS:
  void init() {
    std::filesystem::remove_all(IniPath());
    table_ = std::make_unique<ReplacementTable>();
    boxes_.shown.clear();
    Open();
  }

  void cleanup() {
    window_.reset();
    VerifyNoWindowsLeft();
  }

  // Pixels, at 15 twips each: columns 195, 825, … twips; rows 945, 1245, … twips.
  void placementOfTheGrid() {
    const int left[] = {13, 55, 97, 141, 186, 228, 271, 315, 357, 400, 441};
    const int top[3][4] = {{63, 83, 109, 127}, {180, 201, 231, 252}, {304, 322, 349, 367}};
    for (int slot = 0; slot < kSlotCount; ++slot) {
      const bool capital = slot < 33;
      const int index = capital ? slot : slot - 33;
      const int* rowTops = top[index / 11] + (capital ? 0 : 2);
      const int column = left[index % 11];
      const auto* letter = window_->findChild<QLabel*>(QStringLiteral("Label1(%1)").arg(slot));
      QCOMPARE(letter->geometry(), QRect(column, rowTops[0], 31, 19));
      const int fieldLeft = slot == 30 ? 359 : column;           // "Э"
      const int fieldWidth = slot == 0 || slot == 33 ? 25 : 28;  // "А", "а"
      QCOMPARE(Field(slot)->geometry(), QRect(fieldLeft, rowTops[1], fieldWidth, 19));
    }
    QCOMPARE(Button("Command1")->geometry(), QRect(12, 423, 115, 22));
    QCOMPARE(Button("Command3")->geometry(), QRect(135, 423, 115, 22));
    QCOMPARE(Button("Command2")->geometry(), QRect(258, 423, 115, 22));
  }

  void tabOrderAndFirstFocus() {
    const int slots[] = {32, 31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18, 17, 16,
                         15, 13, 12, 11, 10, 9,  42, 43, 44, 45, 46, 48, 49, 50, 51, 52, 53,
                         54, 55, 56, 57, 58, 59, 60, 61, 62, 63, 64, 65, 41, 40, 39, 38, 37,
                         35, 34, 33, 0,  1,  2,  4,  5,  6,  7,  8,  3,  36, 47, 14};
    QWidgetList expected;
    for (int slot : slots) {
      expected << Field(slot);
    }
    expected << Button("Command1") << Button("Command2") << Button("Command3");
    QCOMPARE(TabStopsFrom(Field(32)), expected);
    window_->ShowInFront();
    QCOMPARE(window_->focusWidget(), Field(32));
  }

  void fieldsAndTableFollowEachOther() {
    QCOMPARE(Field(0)->text(), QString());
    QCOMPARE(Field(7)->text(), QStringLiteral("}|{"));
    QCOMPARE(Field(33)->text(), QStringLiteral("\u0430"));
    Field(7)->selectAll();
    TypeText(Field(7), QStringLiteral("ЖЖ"));
    QTest::keyClick(Field(7), Qt::Key_Backspace);
    QCOMPARE(Table(7), QStringLiteral("Ж"));

    QTest::keyClick(Button("Command3"), Qt::Key_Return);
    QCOMPARE(Field(0)->text(), QStringLiteral("A"));
    QCOMPARE(Field(7)->text(), QStringLiteral(">I<"));
    QCOMPARE(Field(54)->text(), QStringLiteral("f"));
    QVERIFY(boxes_.shown.empty());
    QVERIFY(!std::filesystem::exists(IniPath()));
    QVERIFY(table_->SetReplacement(9, u"a\nb"));  // no field can be typed with this
    QCOMPARE(Field(9)->text(), QStringLiteral("a\nb"));

    Field(1)->setText(QStringLiteral("xy"));
    Field(1)->setCursorPosition(1);
    QGuiApplication::clipboard()->setText(QStringLiteral("a\r\nb\n"));
    Field(1)->paste();
    QCOMPARE(Field(1)->text(), QStringLiteral("xaby"));
    QCOMPARE(Field(1)->cursorPosition(), 3);
    QCOMPARE(Table(1), QStringLiteral("xaby"));
  }

  // A field never locks: a value of a million characters is edited like any other (a long
  // paste is tried with real keys end to end), and one too long to show whole, which only a
  // hand-made file can hold, can still be replaced or cleared whole from the keys.
  void longValuesStayEditable() {
    QVERIFY(table_->SetReplacement(5, std::u16string(1 << 20, u'y')));
    QCOMPARE(Field(5)->text().size(), 1 << 20);
    QVERIFY(table_->SetReplacement(5, std::u16string((1 << 20) + 1, u'y')));
    QVERIFY(Field(5)->ShowsPart());
    QTest::keyClick(Field(5), Qt::Key_Backspace);
    TypeText(Field(5), QStringLiteral("z"));
    QCOMPARE(table_->ReplacementAt(5)->size(), (1u << 20) + 1);  // a part edit is refused
    QTest::keyClick(Field(5), Qt::Key_A, Qt::ControlModifier);
    TypeText(Field(5), QStringLiteral("z"));
    QCOMPARE(Table(5), QStringLiteral("z"));
    QTest::keyClick(Field(5), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Table(5), QStringLiteral("z"));  // undo cannot bring back the part alone

    QVERIFY(table_->SetReplacement(6, std::u16string((1 << 20) + 1, u'y')));
    QTest::keyClick(Field(6), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(Field(6), Qt::Key_Delete);
    QCOMPARE(Table(6), QString());
    QTest::keyClick(Field(6), Qt::Key_F, Qt::AltModifier);
    QCOMPARE(Table(6), QString());  // Alt+F types nothing
  }

  void saveConfirmsEachTimeAndEnterPressesButtons() {
    window_->ShowInFront();
    QTest::keyClick(Field(12), Qt::Key_Return);
    QTest::keyClick(Field(12), Qt::Key_Escape);
    QVERIFY(boxes_.shown.empty() && window_->isVisible());

    QTest::mouseClick(Button("Command1"), Qt::LeftButton);
    QTest::keyClick(Button("Command1"), Qt::Key_Return);
    QCOMPARE(boxes_.shown.size(), 2u);
    QCOMPARE(boxes_.shown[1].title, QStringLiteral("Настройки сохранены"));
    QCOMPARE(boxes_.shown[1].text, QStringLiteral("Настройки программы сохранены"));
    QVERIFY(!boxes_.shown[1].warning);
    QCOMPARE(std::filesystem::file_size(IniPath()), 85u + 132u);  // the design set, CR LF each

    QVERIFY(table_->SetReplacement(7, u"中"));
    QVERIFY(table_->SetReplacement(40, u"\u263A"));
    QTest::mouseClick(Button("Command1"), Qt::LeftButton);
    QVERIFY(boxes_.shown[2].warning);
    QCOMPARE(boxes_.shown[2].title, QStringLiteral("Настройки сохранены"));
    QVERIFY2(boxes_.shown[2].text.contains(QStringLiteral("букв Ж, ж:")),
             qPrintable(boxes_.shown[2].text));

    // Close, and the close box, only hide the window, which shows again as it was.
    QTest::keyClicks(Field(20), QStringLiteral("!"));
    QTest::keyClick(Button("Command2"), Qt::Key_Return);
    QVERIFY(window_->isHidden());
    window_->ShowInFront();
    QVERIFY(!window_->close());
    QVERIFY(window_->isHidden());
    QCOMPARE(Field(20)->text(), QStringLiteral("Y!"));
  }

  void failedSaveSaysWhatAndWhy_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("reason");
    QTest::addColumn<QString>("says");
    const auto row = [](const char* name, FileStep step, std::errc reason, const char* says) {
      QTest::newRow(name) << static_cast<int>(step) << static_cast<int>(reason)
                          << QString::fromUtf8(says);
    };
    row("create, no permission", FileStep::Create, std::errc::permission_denied,
        "не удалось создать файл рядом с «%1» (нет прав на запись)");
    row("write, disk full", FileStep::Write, std::errc::no_space_on_device,
        "не удалось записать файл «%1» (на диске нет места)");
    row("sync, read-only disk", FileStep::Sync, std::errc::read_only_file_system,
        "не удалось сохранить файл «%1» на диск (диск доступен только для чтения)");
    row("flush, too large", FileStep::Flush, std::errc::file_too_large,
        "не удалось закрыть файл «%1» (файл слишком велик)");
    row("replace, a folder", FileStep::Replace, std::errc::is_a_directory,
        "не удалось заменить файл «%1» (под этим именем находится папка)");
    row("create, no folder", FileStep::Create, std::errc::no_such_file_or_directory,
        "не удалось создать файл рядом с «%1» (такой папки нет)");
  }

  // Each failure is told with its own words, the file's full name, and that nothing changed.
  void failedSaveSaysWhatAndWhy() {
    QFETCH(int, step);
    QFETCH(int, reason);
    QFETCH(QString, says);
    Open(FailAt(static_cast<FileStep>(step), static_cast<std::errc>(reason)));
    QVERIFY(table_->SetReplacement(3, u"edited"));
    QTest::mouseClick(Button("Command1"), Qt::LeftButton);
    QCOMPARE(boxes_.shown.size(), 1u);
    QVERIFY(boxes_.shown[0].warning);
    QCOMPARE(boxes_.shown[0].title, QStringLiteral("Настройки не сохранены"));
    QCOMPARE(boxes_.shown[0].text,
             QStringLiteral("Настройки не сохранены: %1. Прежний файл настроек не изменён.")
                 .arg(says.arg(QDir::toNativeSeparators(directory_.filePath("settings.ini")))));
    QCOMPARE(Table(3), QStringLiteral("edited"));
  }

  // A settings file rewritten in place, its folder locked, can be left changed by a failure
  // once the overwrite has begun: the message says what it left.
  void failedRewriteInPlaceSaysWhatItLeft_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("occurrence");
    QTest::addColumn<QString>("says");
    QTest::newRow("cut to length") << static_cast<int>(FileStep::Replace) << 3
                                   << QStringLiteral(
                                          "Файл настроек повреждён: новые настройки записаны в "
                                          "него лишь частично.");
    QTest::newRow("sync") << static_cast<int>(FileStep::Sync) << 1
                          << QStringLiteral(
                                 "Файл настроек перезаписан, но новые настройки могли не дойти "
                                 "до диска полностью.");
  }

  void failedRewriteInPlaceSaysWhatItLeft() {
    QFETCH(int, step);
    QFETCH(int, occurrence);
    QFETCH(QString, says);
    std::ofstream(IniPath()) << std::string(1000, 'x');
    Open(Forced(WriteWay::InPlace,
                FailAt(static_cast<FileStep>(step), std::errc::io_error, occurrence)));
    QTest::mouseClick(Button("Command1"), Qt::LeftButton);
    QCOMPARE(boxes_.shown.size(), 1u);
    QVERIFY2(boxes_.shown[0].text.endsWith(says), qPrintable(boxes_.shown[0].text));
  }
};

}  // namespace lettermorph

QTEST_MAIN(lettermorph::SettingsWindowTest)
#include "settings_window_test.moc"
