#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTextLayout>
#include <QTimer>
#include <QtTest>

#include "main_window_harness.h"
#include "ui/qt_message_boxes.h"
#include "ui/settings_window.h"

namespace lettermorph {

// The three windows as they are drawn, run once for each font set, scale and font resolution
// that CTest gives in the environment (tests/CMakeLists.txt).
class WindowLookTest : public QObject {
  Q_OBJECT

 private:
  // Fails unless `caption`, laid out in `box` as Qt lays it out, stands whole inside the box:
  // no side cut off and no line lost, with the capitals of its first line and the baseline of
  // its last inside.
  static void VerifyShowsWhole(const QWidget* control, const QString& caption, const QRect& box,
                               int flags) {
    const QFontMetrics metrics(control->font(), control);
    const QRect text = metrics.boundingRect(box, flags, caption);
    const int lines = qRound(static_cast<double>(text.height()) / metrics.lineSpacing());
    const int firstBaseline = text.top() + metrics.ascent();
    const int lastBaseline = firstBaseline + (lines - 1) * metrics.lineSpacing();
    const bool whole = text.left() >= box.left() && text.right() <= box.right() &&
                       firstBaseline - metrics.capHeight() >= box.top() &&
                       lastBaseline <= box.bottom() + 1;
    QString detail;
    QDebug(&detail) << control->objectName() << caption << QFontInfo(control->font()).family()
                    << QFontInfo(control->font()).pixelSize() << "px: needs" << text << "in" << box;
    QVERIFY2(whole, qPrintable(detail));
  }

  // Where a button draws its caption: inside its frame, centred.
  static QRect CaptionArea(const QPushButton* button) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    if (button->autoDefault()) {
      option.features |= QStyleOptionButton::AutoDefaultButton;
    }
    return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
  }

  MainWindowHarness main_;

 private Q_SLOTS:
  void init() { main_.Start(); }
  void cleanup() { main_.Stop(); }

  // Captions show whole in their boxes, and the text boxes' text keeps the 11 pixels (8.25 pt at
  // 96 dots per inch) the boxes were drawn for, whatever the font resolution.
  void everyTextFitsItsBox() {
    main_.Child<QAction>("Options")->trigger();
    main_.Child<QAction>("About")->trigger();
    const QList<QWidget*> windows = {main_.window.get(), TopLevel<SettingsWindow>().value(0),
                                     TopLevel<AboutWindow>().value(0)};
    for (QWidget* window : windows) {
      for (const QLabel* label : window->findChildren<QLabel*>()) {
        VerifyShowsWhole(
            label, label->text(), label->contentsRect(),
            static_cast<int>(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0));
      }
      for (const QPushButton* button : window->findChildren<QPushButton*>()) {
        VerifyShowsWhole(button, button->text(), CaptionArea(button), Qt::AlignCenter);
      }
      QWidgetList textBoxes;
      for (QLineEdit* box : window->findChildren<QLineEdit*>()) {
        textBoxes << box;
      }
      for (QPlainTextEdit* box : window->findChildren<QPlainTextEdit*>()) {
        textBoxes << box;
      }
      for (const QWidget* box : textBoxes) {
        QVERIFY2(QFontInfo(box->font()).pixelSize() <= 11, qPrintable(box->objectName()));
      }
    }
  }

  // Each of the settings window's four lines shows as a row of pixels across the window, near
  // 675, 2475, 4275 and 6075 twips from its top, at 15 twips to a pixel before scaling.
  void separatorLinesShow() {
    main_.Child<QAction>("Options")->trigger();
    const QImage picture = TopLevel<SettingsWindow>().value(0)->grab().toImage();
    const qreal scale = picture.devicePixelRatio();
    const QRgb background = picture.pixel(1, 1);
    const int left = qCeil(13 * scale);
    const int right = qFloor(473 * scale);
    for (const int row : {45, 165, 285, 405}) {
      bool found = false;
      for (int y = qFloor(row * scale) - 1; y <= qCeil((row + 1) * scale) && !found; ++y) {
        int drawn = 0;
        for (int x = left; x < right; ++x) {
          drawn += qAbs(qGray(picture.pixel(x, y)) - qGray(background)) > 24 ? 1 : 0;
        }
        found = drawn >= (right - left) * 95 / 100;
      }
      QVERIFY2(found,
               qPrintable(QStringLiteral("no line near row %1 at scale %2").arg(row).arg(scale)));
    }
  }

  // A file name quoted in a message box is never broken over two lines, however narrow the box,
  // and looks exactly as written.
  void fileNameInAMessageStaysOnOneLine() {
    const QString name = QStringLiteral("«/home/user/my-settings/settings.ini»");
    const QString text = QStringLiteral(
                             "Настройки не сохранены: не удалось создать файл рядом с %1 "
                             "(нет прав на запись).")
                             .arg(name);
    QString shown;
    QFont font;
    QTimer closer;
    connect(&closer, &QTimer::timeout, this, [&] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        shown = label->text();
        font = label->font();
        box->accept();
      }
    });
    closer.start(10);
    QtMessageBoxes().Warn(nullptr, QStringLiteral("Настройки не сохранены"), text);

    const QFontMetrics metrics(font);
    QCOMPARE(metrics.horizontalAdvance(shown), metrics.horizontalAdvance(text));
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (int width = metrics.horizontalAdvance(name); width < metrics.horizontalAdvance(text);
         ++width) {
      QTextLayout layout(shown, font);
      layout.setTextOption(option);
      layout.beginLayout();
      for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        const int start = line.textStart();
        QVERIFY2(shown.lastIndexOf(u'«', start - 1) <= shown.lastIndexOf(u'»', start - 1),
                 qPrintable(QStringLiteral("broken at %1 px: %2|%3")
                                .arg(width)
                                .arg(shown.left(start), shown.mid(start))));
      }
      layout.endLayout();
    }
  }
};

// Makes fontconfig see only the font files that LETTERMORPH_TEST_FONTS lists, separated by
// colons, as a system with only those fonts installed would, so that the fonts this machine
// happens to have do not decide the layout. Returns false, saying why, if a file is missing.
bool PinFonts(const QString& folder) {
  const QStringList files =
      qEnvironmentVariable("LETTERMORPH_TEST_FONTS").split(u':', Qt::SkipEmptyParts);
  if (files.isEmpty()) {
    return true;
  }
  QDir(folder).mkdir(QStringLiteral("fonts"));
  for (const QString& file : files) {
    if (!QFileInfo::exists(file) ||
        !QFile::link(file, folder + QStringLiteral("/fonts/") + QFileInfo(file).fileName())) {
      qCritical("%s is missing: scripts/bootstrap installs it", qPrintable(file));
      return false;
    }
  }
  QFile config(folder + QStringLiteral("/fonts.conf"));
  if (!config.open(QIODevice::WriteOnly) ||
      config.write(QStringLiteral("<?xml version=\"1.0\"?>\n<fontconfig><dir>%1/fonts</dir>"
                                  "<cachedir>%1/cache</cachedir></fontconfig>\n")
                       .arg(folder)
                       .toUtf8()) < 0) {
    qCritical("cannot write %s", qPrintable(config.fileName()));
    return false;
  }
  qputenv("FONTCONFIG_FILE", QFile::encodeName(config.fileName()));
  return true;
}

}  // namespace lettermorph

// Qt's own test main would make the application assume 96 dots per inch, which the runs at
// other font resolutions must not.
int main(int argc, char* argv[]) {
  const QTemporaryDir fonts;
  if (!fonts.isValid() || !lettermorph::PinFonts(fonts.path())) {
    return 1;
  }
  QApplication application(argc, argv);
  lettermorph::WindowLookTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "window_look_test.moc"
