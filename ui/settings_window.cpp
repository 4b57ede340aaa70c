#include "ui/settings_window.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <new>

#include "bring_to_front.h"
#include "caption_fit.h"
#include "place.h"
#include "save_failure_text.h"
#include "settings/settings_file.h"
#include "twips.h"
#include "ui/accessibility.h"
#include "ui/message_boxes.h"
#include "ui/replacement_field.h"
#include "window_font.h"
#include "window_icon.h"

namespace lettermorph {
namespace {

// The grid: three blocks of two rows of eleven, capitals above small letters.
constexpr std::array<int, 11> kColumnLeft = {195,  825,  1455, 2115, 2790, 3420,
                                             4065, 4725, 5355, 6000, 6615};
struct BlockTops {
  int capitalLabel, capitalField, smallLabel, smallField;
};
constexpr std::array<BlockTops, 3> kBlockTops = {{
    {945, 1245, 1635, 1905},
    {2700, 3015, 3465, 3780},
    {4560, 4830, 5235, 5505},
}};
constexpr int kLabelWidth = 465;
constexpr int kFieldWidth = 420;
constexpr int kNarrowFieldWidth = 375;  // "А" and "а"
constexpr int kRowHeight = 285;
constexpr int kSlotE = 30;  // "Э", whose field stands a little right of its label
constexpr int kSlotEFieldLeft = 5385;

// The Tab key's path through the fields, as runs of slots walked from the first to the last.
constexpr std::array<std::pair<int, int>, 12> kTabRuns = {{
    {32, 15},
    {13, 9},
    {42, 46},
    {48, 65},
    {41, 37},
    {35, 33},
    {0, 2},
    {4, 8},
    {3, 3},
    {36, 36},
    {47, 47},
    {14, 14},
}};

constexpr int kFirstFocusSlot = 32;  // "Я"

QString LetterList(const ReplacementTable& table, const std::vector<int>& slots) {
  QStringList letters;
  for (int slot : slots) {
    letters << QString(QChar(*table.LetterAt(slot)));
  }
  return letters.join(QStringLiteral(", "));
}

}  // namespace

SettingsWindow::SettingsWindow(ReplacementTable& table, const SettingsFile& settingsFile,
                               MessageBoxes& messageBoxes)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint),
      table_(table),
      settingsFile_(settingsFile),
      messageBoxes_(messageBoxes) {
  setObjectName(QStringLiteral("frmSettings"));
  setWindowTitle(QStringLiteral("Настройки"));
  setWindowIcon(WindowIcon());
  setFont(WindowFont());
  setFixedSize(TwipsSize(7230, 6870));
  CreateFrame();
  CreateGrid();
  FitCaptions(*this);
  SetTabOrder();
  replacementFields_[kFirstFocusSlot]->setFocus();

  subscription_ = table_.Subscribe(
      [this](int slot) { replacementFields_[slot]->Show(*table_.ReplacementAt(slot)); });

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void SettingsWindow::CreateFrame() {
  headingLabel_ = Place<QLabel>(this, "Label2", TwipsRect(225, 225, 5100, 240),
                                QStringLiteral("Буквы и то, чем их заменять"));
  headingLabel_->setFont(LabelFont());

  const std::array<std::pair<const char*, int>, 4> lines = {
      {{"Line3", 675}, {"Line1", 2475}, {"Line2", 4275}, {"Line4", 6075}}};
  for (const auto& [name, y] : lines) {
    // The line is drawn one pixel high across the middle of its frame. A frame as high as the
    // line would lose it at scales such as 150%, where rounding the frame to whole device
    // pixels can leave the line outside; a pixel above and below keep it inside at any scale.
    auto* line =
        Place<QFrame>(this, name, QRect(Pixels(180), Pixels(y) - 1, Pixels(7110 - 180), 3));
    line->setFrameShape(QFrame::HLine);
  }

  const auto button = [this](const char* name, const QString& caption, int left) {
    auto* command = Place<QPushButton>(this, name, TwipsRect(left, 6345, 1725, 330), caption);
    // Enter, like the space bar, presses the button that holds the focus. This window is no
    // dialog, so no button answers Enter pressed elsewhere.
    command->setAutoDefault(true);
    return command;
  };
  saveButton_ = button("Command1", QStringLiteral("Сохранить"), 180);
  resetButton_ = button("Command3", QStringLiteral("Сбросить"), 2025);
  closeButton_ = button("Command2", QStringLiteral("Закрыть"), 3870);
  connect(saveButton_, &QPushButton::clicked, this, &SettingsWindow::Save);
  connect(resetButton_, &QPushButton::clicked, this, [this] { table_.ApplyResetDefaults(); });
  connect(closeButton_, &QPushButton::clicked, this, &QWidget::hide);
}

void SettingsWindow::CreateGrid() {
  const QFont labelFont = LabelFont();
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const bool capital = slot < kSlotCount / 2;
    const int index = capital ? slot : slot - kSlotCount / 2;
    const BlockTops& tops = kBlockTops[index / 11];
    const int left = kColumnLeft[index % 11];

    letterLabels_[slot] = Place<QLabel>(
        this, QStringLiteral("Label1(%1)").arg(slot),
        TwipsRect(left, capital ? tops.capitalLabel : tops.smallLabel, kLabelWidth, kRowHeight),
        QString(QChar(*table_.LetterAt(slot))));
    letterLabels_[slot]->setFont(labelFont);

    const bool narrow = slot == 0 || slot == kSlotCount / 2;
    ReplacementField* field = replacementFields_[slot] =
        Place<ReplacementField>(this, QStringLiteral("txtSym(%1)").arg(slot),
                                TwipsRect(slot == kSlotE ? kSlotEFieldLeft : left,
                                          capital ? tops.capitalField : tops.smallField,
                                          narrow ? kNarrowFieldWidth : kFieldWidth, kRowHeight));
    // A screen reader names the field after its letter and says what it holds.
    letterLabels_[slot]->setBuddy(field);
    field->setAccessibleDescription(
        QStringLiteral("Замена буквы %1").arg(letterLabels_[slot]->text()));
    field->Show(*table_.ReplacementAt(slot));
    connect(field, &ReplacementField::ValueEdited, this, [this, slot](const QString& value) {
      (void)table_.SetReplacement(slot, value.toStdU16String());
    });
  }
}

void SettingsWindow::SetTabOrder() {
  QWidget* previous = nullptr;
  const auto append = [&previous](QWidget* next) {
    if (previous != nullptr) {
      setTabOrder(previous, next);
    }
    previous = next;
  };
  for (const auto& [first, last] : kTabRuns) {
    const int step = first <= last ? 1 : -1;
    for (int slot = first; slot != last + step; slot += step) {
      append(replacementFields_[slot]);
    }
  }
  append(saveButton_);
  append(closeButton_);
  append(resetButton_);
  ReadFirst(replacementFields_[kTabRuns.front().first]);
}

void SettingsWindow::ShowInFront() {
  BringToFront(*this);
}

void SettingsWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  hide();
}

void SettingsWindow::Save() {
  SaveOutcome outcome;
  try {
    outcome = settingsFile_.SaveSettings(table_);
  } catch (const std::bad_alloc&) {
    messageBoxes_.Warn(this, QStringLiteral("Настройки не сохранены"),
                       QStringLiteral("Настройки не сохранены: не хватило памяти. Прежний файл "
                                      "настроек не изменён."));
    return;
  }
  if (!outcome.saved()) {
    messageBoxes_.Warn(this, QStringLiteral("Настройки не сохранены"),
                       SaveFailureText(*outcome.failure));
  } else if (!outcome.inexactSlots.empty()) {
    messageBoxes_.Warn(
        this, QStringLiteral("Настройки сохранены"),
        QStringLiteral("Настройки программы сохранены, но кодировка файла не может передать "
                       "некоторые символы замен для букв %1: они записаны как «?». В этом "
                       "сеансе замены остаются прежними.")
            .arg(LetterList(table_, outcome.inexactSlots)));
  } else {
    messageBoxes_.Inform(this, QStringLiteral("Настройки сохранены"),
                         QStringLiteral("Настройки программы сохранены"));
  }
}

}  // namespace lettermorph
