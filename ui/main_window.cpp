#include "ui/main_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QToolTip>
#include <limits>
#include <new>
#include <span>

#include "alt_key_filter.h"
#include "bring_to_front.h"
#include "caption_fit.h"
#include "place.h"
#include "recode/recode_text.h"
#include "twips.h"
#include "ui/about_window.h"
#include "ui/settings_window.h"
#include "ui/text_bridge.h"
#include "window_font.h"
#include "window_icon.h"

namespace lettermorph {
namespace {

const QString kReducedAccuracyNotice = QStringLiteral(
    "Словарь русского языка не удалось прочитать: слова расшифрованы по встроенному списку, "
    "менее точно.");

}  // namespace

MainWindow::MainWindow(const Platform& platform, SettingsFile settingsFile, WordSources words)
    : platform_(platform),
      settingsFile_(std::move(settingsFile)),
      decoder_(table_, std::move(words)) {
  // Each window keeps its form name, as each control does, for tests and accessibility tools.
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Lettermorph"));
  setWindowIcon(WindowIcon());
  setFont(WindowFont());
  CreateControls();
  FitCaptions(*this);
  CreateMenus();

  // Load step: the settings window is the table's view before the file is read into it.
  settingsWindow_ = std::make_unique<SettingsWindow>(table_, settingsFile_, platform_.messageBoxes);
  settingsFile_.LoadSettings(table_);

  createdSize_ = TwipsSize(5145, 2955) + QSize(0, menuBar()->sizeHint().height());
  ResizeTo(createdSize_);
  inputBox_->setFocus();
}

MainWindow::~MainWindow() = default;

void MainWindow::CreateControls() {
  auto* client = new QWidget(this);
  setCentralWidget(client);

  inputLabel_ = Place<QLabel>(client, "Label2", TwipsRect(90, 90, 3300, 195),
                              QStringLiteral("Исходное слово"));
  outputLabel_ = Place<QLabel>(client, "Label3", TwipsRect(90, 855, 3120, 285),
                               QStringLiteral("Результат перекодировки"));
  for (QLabel* label : {inputLabel_, outputLabel_}) {
    label->setFont(LabelFont());
  }

  inputBox_ = Place<QLineEdit>(client, "txtText", TwipsRect(90, 390, 3090, 285),
                               QStringLiteral("Введите текст"));
  inputBox_->setMaxLength(std::numeric_limits<int>::max());
  connect(inputBox_, &QLineEdit::returnPressed, this, &MainWindow::Recode);

  outputBox_ = Place<QPlainTextEdit>(client, "txtOut", TwipsRect(90, 1125, 3090, 1695));
  outputBox_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  outputBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  outputBox_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  outputBox_->setTabChangesFocus(true);
  KeepAltKeysFromEditing(inputBox_);
  KeepAltKeysFromEditing(outputBox_);
  // A screen reader names each box after the label above it.
  inputLabel_->setBuddy(inputBox_);
  outputLabel_->setBuddy(outputBox_);

  const auto button = [this, client](const char* name, const QString& caption, int top,
                                     void (MainWindow::*command)()) {
    auto* created = Place<QPushButton>(client, name, TwipsRect(3375, top, 1695, 375), caption);
    // Enter, like the space bar, presses the button that holds the focus; in the input box it
    // recodes, as no button is the window's default.
    created->setAutoDefault(true);
    connect(created, &QPushButton::clicked, this, command);
    return created;
  };
  recodeButton_ = button("cmdDo", QStringLiteral("Перекодировать"), 345, &MainWindow::Recode);
  pasteButton_ =
      button("cmdClPaste", QStringLiteral("Вставить из буфера"), 843, &MainWindow::Paste);
  copyButton_ = button("cmdClCopy", QStringLiteral("Копировать в буфер"), 1341, &MainWindow::Copy);
  clearButton_ = button("cmdClear", QStringLiteral("Очистить"), 1839, &MainWindow::Clear);
  settingsButton_ =
      button("cmdOptions", QStringLiteral("Настройки"), 2340, &MainWindow::ShowSettings);

  setTabOrder(inputBox_, outputBox_);
  setTabOrder(outputBox_, settingsButton_);
  setTabOrder(settingsButton_, clearButton_);
  setTabOrder(clearButton_, copyButton_);
  setTabOrder(copyButton_, recodeButton_);
  setTabOrder(recodeButton_, pasteButton_);
}

void MainWindow::CreateMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("Файл"));
  file->setObjectName(QStringLiteral("File"));
  QAction* options = file->addAction(QStringLiteral("Настройки"), this, &MainWindow::ShowSettings);
  options->setObjectName(QStringLiteral("Options"));
  QAction* decode = file->addAction(QStringLiteral("&Расшифровать"), this, &MainWindow::Decode);
  decode->setObjectName(QStringLiteral("Decode"));
  QAction* exit = file->addAction(QStringLiteral("Выход"), this, &QWidget::close);
  exit->setObjectName(QStringLiteral("Exit"));

  QMenu* help = menuBar()->addMenu(QStringLiteral("Помощь"));
  help->setObjectName(QStringLiteral("Help"));
  QAction* about = help->addAction(QStringLiteral("О программе"), this, &MainWindow::ShowAbout);
  about->setObjectName(QStringLiteral("About"));
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (event->size() != requestedSize_) {
    sizedByUser_ = true;
  }
  ApplyLayoutRule();
}

// The window manager adds its frame after the window is first shown, usually moving it as it
// does, and the rule measures the window from frame to frame.
void MainWindow::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  ApplyLayoutRule();
}

void MainWindow::ResizeTo(const QSize& size) {
  requestedSize_ = size;
  resize(size);
}

// Keeps the window at least 5500 x 3800 twips from frame to frame and lets the buttons and
// text boxes follow its right and bottom edges. Growing the window runs the rule again,
// nested; the grown size lies above the minimum, so the nested run changes nothing more.
void MainWindow::ApplyLayoutRule() {
  // A minimised window reports an iconic size; restoring it runs the rule again.
  if (isMinimized()) {
    return;
  }
  const QSize frame = frameGeometry().size() - size();
  // A frame that came after the rule grew the window would leave it too large: until the user
  // sizes the window, the rule starts again from the size it was created with.
  QSize wanted = size();
  if (frame != frameSeen_) {
    frameSeen_ = frame;
    if (!sizedByUser_) {
      wanted = createdSize_;
    }
  }
  if (Twips(wanted.width() + frame.width()) <= kMinimumWidth) {
    wanted.setWidth(PixelsCovering(kMinimumWidth) - frame.width());
  }
  if (Twips(wanted.height() + frame.height()) <= kMinimumHeight) {
    wanted.setHeight(PixelsCovering(kMinimumHeight) - frame.height());
  }
  if (wanted != size()) {
    ResizeTo(wanted);
  }
  const float outerWidth = Twips(wanted.width() + frame.width());
  const float outerHeight = Twips(wanted.height() + frame.height());

  const int buttonsLeft = Pixels(outerWidth - 2100);
  for (QPushButton* button :
       {recodeButton_, clearButton_, settingsButton_, copyButton_, pasteButton_}) {
    button->move(buttonsLeft, button->y());
  }
  const int boxWidth = Pixels(outerWidth - 2100 - 200);
  inputBox_->resize(boxWidth, inputBox_->height());
  outputBox_->resize(boxWidth, Pixels(outerHeight - 2200));
}

void MainWindow::closeEvent(QCloseEvent* event) {
  settingsWindow_.reset();
  event->accept();
}

void MainWindow::Recode() {
  const QString input = inputBox_->text();
  const std::u16string_view text = ToView(input);
  try {
    // Recoded straight into the string the box will show, without an intermediate copy.
    QString result(static_cast<qsizetype>(RecodedLength(text, table_)), Qt::Uninitialized);
    RecodeTextInto(text, table_,
                   std::span(reinterpret_cast<char16_t*>(result.data()),
                             static_cast<std::size_t>(result.size())));
    outputBox_->setPlainText(result);
  } catch (const std::bad_alloc&) {
    platform_.messageBoxes.Warn(this, QStringLiteral("Ошибка"),
                                QStringLiteral("Не хватило памяти, чтобы перекодировать текст."));
  }
}

void MainWindow::Decode() {
  const QString input = inputBox_->text();
  try {
    // The first use loads or builds the index of words.
    const bool loading = decoder_.MustLoad();
    if (loading) {
      QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    const auto restoreCursor = qScopeGuard([loading] {
      if (loading) {
        QGuiApplication::restoreOverrideCursor();
      }
    });
    outputBox_->setPlainText(ToQString(decoder_.Decode(ToView(input))));
  } catch (const std::bad_alloc&) {
    platform_.messageBoxes.Warn(this, QStringLiteral("Ошибка"),
                                QStringLiteral("Не хватило памяти, чтобы расшифровать текст."));
    return;
  }
  // Said once, beside the text it concerns, without a box to dismiss.
  if (decoder_.TakeReducedAccuracyNotice()) {
    QToolTip::showText(outputBox_->mapToGlobal(QPoint(0, 0)), kReducedAccuracyNotice, outputBox_,
                       {}, 15000);
  }
}

void MainWindow::Paste() {
  if (!platform_.clipboard.HasText()) {
    platform_.messageBoxes.Inform(this, QStringLiteral("Ошибка"),
                                  QStringLiteral("В буфере обмена нет текста"));
    return;
  }
  inputBox_->setText(platform_.clipboard.Text());
}

void MainWindow::Copy() {
  platform_.clipboard.Clear();
  // The raw text keeps non-breaking spaces, which the plain-text view turns into spaces.
  QString text = outputBox_->document()->toRawText();
  text.replace(QChar::ParagraphSeparator, u'\n');
  platform_.clipboard.SetText(text);
}

void MainWindow::Clear() {
  inputBox_->clear();
  outputBox_->clear();
}

void MainWindow::ShowSettings() {
  settingsWindow_->ShowInFront();
}

void MainWindow::ShowAbout() {
  if (aboutWindow_ == nullptr) {
    aboutWindow_ = new AboutWindow(platform_.shell);
  }
  BringToFront(*aboutWindow_);
}

}  // namespace lettermorph
