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
  QLineEdit* Field(int slot) {
    return window_->findChild<QLineEdit*>(QStringLiteral("txtSym(%1)").arg(slot));
  }
  void Click(const char* name) {
    QTest::mouseClick(window_->findChild<QPushButton*>(QString::fromLatin1(name)), Qt::LeftButton);
  }
  std::filesystem::path IniPath() const {
    return directory_.filePath(QStringLiteral("settings.ini")).toStdString();
  }

  QTemporaryDir directory_;
  std::unique_ptr<ReplacementTable> table_;
  std::unique_ptr<SettingsFile> file_;
  RecordingMessageBoxes boxes_;
  std::unique_ptr<frmSettings> window_;

 private Q_SLOTS:
  void init() {
    std::filesystem::remove_all(IniPath());
    table_ = std::make_unique<ReplacementTable>();
    file_ = std::make_unique<SettingsFile>(CodePage::Named("CP1251"), IniPath());
    boxes_.shown.clear();
    window_ = std::make_unique<frmSettings>(*table_, *file_, boxes_);
  }

  void cleanup() {
    window_.reset();
    VerifyNoWindowsLeft();
  }

  void placement_data() {
    QTest::addColumn<int>("slot");
    QTest::addColumn<QRect>("label");
    QTest::addColumn<QRect>("field");
    const int left[] = {195, 825, 1455, 2115, 2790, 3420, 4065, 4725, 5355, 6000, 6615};
    const int tops[3][4] = {
        {945, 1245, 1635, 1905}, {2700, 3015, 3465, 3780}, {4560, 4830, 5235, 5505}};
    for (int slot = 0; slot < kSlotCount; ++slot) {
      const int index = slot < 33 ? slot : slot - 33;
      const int* rowTops = tops[index / 11] + (slot < 33 ? 0 : 2);
      const int column = left[index % 11];
      QTest::addRow("slot %d", slot) << slot << TwipsRect(column, rowTops[0], 465, 285)
                                     << TwipsRect(slot == 30 ? 5385 : column, rowTops[1],
                                                  slot == 0 || slot == 33 ? 375 : 420, 285);
    }
  }

  void placement() {
    QFETCH(int, slot);
    QFETCH(QRect, label);
    QFETCH(QRect, field);
    const auto* letter = window_->findChild<QLabel*>(QStringLiteral("Label1(%1)").arg(slot));
    QCOMPARE(letter->geometry(), label);
    QCOMPARE(Field(slot)->geometry(), field);
  }

  void tabOrderAndFirstFocus() {
    QWidgetList expected;
    const std::pair<int, int> runs[] = {{32, 15}, {13, 9}, {42, 46}, {48, 65}, {41, 37}, {35, 33},
                                        {0, 2},   {4, 8},  {3, 3},   {36, 36}, {47, 47}, {14, 14}};
    for (const auto& [first, last] : runs) {
      const int step = first <= last ? 1 : -1;
      for (int slot = first; slot != last + step; slot += step) {
        expected << Field(slot);
      }
    }
    for (const char* name : {"Command1", "Command2", "Command3"}) {
      expected << window_->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    QCOMPARE(TabStopsFrom(Field(32)), expected);
    window_->ShowInFront();
    QCOMPARE(window_->focusWidget(), Field(32));
  }

  void fieldsAndTableFollowEachOther() {
    QCOMPARE(Field(33)->text(), QStringLiteral("\u0430"));
    int notifications = 0;
    auto counting = table_->Subscribe([&](int) { ++notifications; });
    Field(7)->selectAll();
    TypeText(Field(7), QStringLiteral("ЖЖ"));
    QTest::keyClick(Field(7), Qt::Key_Backspace);
    QCOMPARE(*table_->ReplacementAt(7), u"Ж");
    QCOMPARE(notifications, 3);

    Click("Command3");
    for (int slot = 0; slot < kSlotCount; ++slot) {
      QCOMPARE(Field(slot)->text(), ToQString(ResetDefaults[slot]));
    }
    QVERIFY(boxes_.shown.empty());
    QVERIFY(!std::filesystem::exists(IniPath()));
    QVERIFY(table_->SetReplacement(9, u"a\nb"));  // no field can be typed with this
    QCOMPARE(Field(9)->text(), QStringLiteral("a\nb"));
  }

  void lineBreaksCannotBePasted() {
    Field(1)->setText(QStringLiteral("xy"));
    Field(1)->setCursorPosition(1);
    QGuiApplication::clipboard()->setText(QStringLiteral("a\r\nb\n"));
    Field(1)->paste();
    QCOMPARE(Field(1)->text(), QStringLiteral("xaby"));
    QCOMPARE(Field(1)->cursorPosition(), 3);
    QCOMPARE(*table_->ReplacementAt(1), u"xaby");
  }

  void enormousValuesAreShownInPartAndKeptWhole() {
    QVERIFY(table_->SetReplacement(4, std::u16string(5'000'000, u'z')));
    QCOMPARE(Field(4)->text().size(), 32767);
    QVERIFY(Field(4)->isReadOnly());
    QCOMPARE(table_->ReplacementAt(4)->size(), 5'000'000u);
    table_->ApplyResetDefaults();
    QCOMPARE(Field(4)->text(), QStringLiteral("D"));
    QVERIFY(!Field(4)->isReadOnly());
  }

  void saveConfirmsEachTime() {
    window_->ShowInFront();
    QTest::keyClick(Field(12), Qt::Key_Return);
    QTest::keyClick(Field(12), Qt::Key_Escape);
    QVERIFY(boxes_.shown.empty() && window_->isVisible());

    Click("Command1");
    Click("Command1");
    QCOMPARE(boxes_.shown.size(), 2u);
    QCOMPARE(boxes_.shown[1].title, QStringLiteral("Настройки сохранены"));
    QCOMPARE(boxes_.shown[1].text, QStringLiteral("Настройки программы сохранены"));
    QVERIFY(!boxes_.shown[1].warning);
    QCOMPARE(std::filesystem::file_size(IniPath()), 85u + 132u);  // the design set, CR LF each
  }

  void failedOrInexactSavesWarn() {
    std::filesystem::create_directory(IniPath());
    QVERIFY(table_->SetReplacement(3, u"edited"));
    Click("Command1");
    QCOMPARE(boxes_.shown.size(), 1u);
    QVERIFY(boxes_.shown[0].warning);
    QCOMPARE(boxes_.shown[0].title, QStringLiteral("Настройки не сохранены"));
    QVERIFY2(boxes_.shown[0].text.contains(QStringLiteral("settings.ini")),
             qPrintable(boxes_.shown[0].text));
    QCOMPARE(*table_->ReplacementAt(3), u"edited");

    std::filesystem::remove(IniPath());
    QVERIFY(table_->SetReplacement(7, u"中"));
    QVERIFY(table_->SetReplacement(40, u"\u263A"));
    Click("Command1");
    QVERIFY(boxes_.shown[1].warning);
    QVERIFY2(boxes_.shown[1].text.contains(QStringLiteral("Ж, ж")),
             qPrintable(boxes_.shown[1].text));
  }

  void closeOnlyHides() {
    window_->ShowInFront();
    QTest::keyClicks(Field(20), QStringLiteral("!"));
    Click("Command2");
    QVERIFY(window_->isHidden());
    window_->ShowInFront();
    QVERIFY(!window_->close());
    QVERIFY(window_->isHidden());
    QCOMPARE(Field(20)->text(), QStringLiteral("Y!"));
  }
};

}  // namespace lettermorph

QTEST_MAIN(lettermorph::FrmSettingsTest)
#include "frmsettings_test.moc"
