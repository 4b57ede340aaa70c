#include "ui/form1.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <limits>
#include <new>
#include <span>

#include "engine/recode_text.h"
#include "ui/alt_key_filter.h"
#include "ui/frmhelp.h"
#include "ui/frmsettings.h"
#include "ui/place.h"
#include "ui/text_bridge.h"
#include "ui/twips.h"
#include "ui/window_font.h"
#include "ui/window_icon.h"

namespace lettermorph {

Form1::Form1(const Platform& platform, SettingsFile settingsFile)
    : platform_(platform), settingsFile_(std::move(settingsFile)) {
  setWindowTitle(QStringLiteral("Lettermorph"));
  setWindowIcon(WindowIcon());
  setFont(WindowFont());
  CreateControls();
  CreateMenus();

  // Load step: the settings window is the table's view before the file is read into it.
  settings_ = std::make_unique<frmSettings>(table_, settingsFile_, platform_.messageBoxes);
  settingsFile_.LoadSettings(table_);

  createdSize_ = TwipsSize(5145, 2955) + QSize(0, menuBar()->sizeHint().height());
  ResizeTo(createdSize_);
  txtText->setFocus();
}

Form1::~Form1() = default;

void Form1::CreateControls() {
  auto* client = new QWidget(this);
  setCentralWidget(client);

  Label2 = Place<QLabel>(client, "Label2", TwipsRect(90, 90, 3300, 195),
                         QStringLiteral("Исходное слово"));
  Label3 = Place<QLabel>(client, "Label3", TwipsRect(90, 855, 3120, 285),
                         QStringLiteral("Результат перекодировки"));
  for (QLabel* label : {Label2, Label3}) {
    label->setFont(LabelFont());
  }

  txtText = Place<QLineEdit>(client, "txtText", TwipsRect(90, 390, 3090, 285),
                             QStringLiteral("Введите текст"));
  txtText->setMaxLength(std::numeric_limits<int>::max());
  connect(txtText, &QLineEdit::returnPressed, this, &Form1::Recode);

  txtOut = Place<QPlainTextEdit>(client, "txtOut", TwipsRect(90, 1125, 3090, 1695));
  txtOut->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  txtOut->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  txtOut->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  txtOut->setTabChangesFocus(true);
  KeepAltKeysFromEditing(txtText);
  KeepAltKeysFromEditing(txtOut);
  // A screen reader names each box after the label above it.
  Label2->setBuddy(txtText);
  Label3->setBuddy(txtOut);

  const auto button = [this, client](const char* name, const QString& caption, int top,
                                     void (Form1::*command)()) {
    auto* created = Place<QPushButton>(client, name, TwipsRect(3375, top, 1695, 375), caption);
    // Enter, like the space bar, presses the button that holds the focus; in the input box it
    // recodes, as no button is the window's default.
    created->setAutoDefault(true);
    connect(created, &QPushButton::clicked, this, command);
    return created;
  };
  cmdDo = button("cmdDo", QStringLiteral("Перекодировать"), 345, &Form1::Recode);
  cmdClPaste = button("cmdClPaste", QStringLiteral("Вставить из буфера"), 843, &Form1::Paste);
  cmdClCopy = button("cmdClCopy", QStringLiteral("Копировать в буфер"), 1341, &Form1::Copy);
  cmdClear = button("cmdClear", QStringLiteral("Очистить"), 1839, &Form1::Clear);
  cmdOptions = button("cmdOptions", QStringLiteral("Настройки"), 2340, &Form1::ShowSettings);

  setTabOrder(txtText, txtOut);
  setTabOrder(txtOut, cmdOptions);
  setTabOrder(cmdOptions, cmdClear);
  setTabOrder(cmdClear, cmdClCopy);
  setTabOrder(cmdClCopy, cmdDo);
  setTabOrder(cmdDo, cmdClPaste);
}

void Form1::CreateMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("Файл"));
  file->setObjectName(QStringLiteral("File"));
  QAction* options = file->addAction(QStringLiteral("Настройки"), this, &Form1::ShowSettings);
  options->setObjectName(QStringLiteral("Options"));
  QAction* exit = file->addAction(QStringLiteral("Выход"), this, &QWidget::close);
  exit->setObjectName(QStringLiteral("Exit"));

  QMenu* help = menuBar()->addMenu(QStringLiteral("Помощь"));
  help->setObjectName(QStringLiteral("Help"));
  QAction* about = help->addAction(QStringLiteral("О программе"), this, &Form1::ShowAbout);
  about->setObjectName(QStringLiteral("About"));
}

void Form1::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (event->size() != requestedSize_) {
    sizedByUser_ = true;
  }
  ApplyLayoutRule();
}

// The window manager adds its frame after the window is first shown, usually moving it as it
// does, and the rule measures the window from frame to frame.
void Form1::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  ApplyLayoutRule();
}

void Form1::ResizeTo(const QSize& size) {
  requestedSize_ = size;
  resize(size);
}

// Keeps the window at least 5500 x 3800 twips from frame to frame and lets the buttons and
// text boxes follow its right and bottom edges. Growing the window runs the rule again,
// nested; the grown size lies above the minimum, so the nested run changes nothing more.
void Form1::ApplyLayoutRule() {
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
  for (QPushButton* button : {cmdDo, cmdClear, cmdOptions, cmdClCopy, cmdClPaste}) {
    button->move(buttonsLeft, button->y());
  }
  const int boxWidth = Pixels(outerWidth - 2100 - 200);
  txtText->resize(boxWidth, txtText->height());
  txtOut->resize(boxWidth, Pixels(outerHeight - 2200));
}

void Form1::closeEvent(QCloseEvent* event) {
  settings_.reset();
  event->accept();
}

void Form1::Recode() {
  const QString input = txtText->text();
  const std::u16string_view text = ToView(input);
  try {
    // Recoded straight into the string the box will show, without an intermediate copy.
    QString result(static_cast<qsizetype>(RecodedLength(text, table_)), Qt::Uninitialized);
    RecodeTextInto(text, table_,
                   std::span(reinterpret_cast<char16_t*>(result.data()),
                             static_cast<std::size_t>(result.size())));
    txtOut->setPlainText(result);
  } catch (const std::bad_alloc&) {
    platform_.messageBoxes.Warn(this, QStringLiteral("Ошибка"),
                                QStringLiteral("Не хватило памяти, чтобы перекодировать текст."));
  }
}

void Form1::Paste() {
  if (!platform_.clipboard.HasText()) {
    platform_.messageBoxes.Inform(this, QStringLiteral("Ошибка"),
                                  QStringLiteral("В буфере обмена нет текста"));
    return;
  }
  txtText->setText(platform_.clipboard.Text());
}

void Form1::Copy() {
  platform_.clipboard.Clear();
  // The raw text keeps non-breaking spaces, which the plain-text view turns into spaces.
  QString text = txtOut->document()->toRawText();
  text.replace(QChar::ParagraphSeparator, u'\n');
  platform_.clipboard.SetText(text);
}

void Form1::Clear() {
  txtText->clear();
  txtOut->clear();
}

void Form1::ShowSettings() {
  settings_->ShowInFront();
}

void Form1::ShowAbout() {
  if (help_ == nullptr) {
    help_ = new frmHelp(platform_.shell);
  }
  help_->show();
  help_->raise();
  help_->activateWindow();
}

}  // namespace lettermorph
