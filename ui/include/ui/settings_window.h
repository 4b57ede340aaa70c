#pragma once

#include <QWidget>
#include <array>

#include "recode/replacement_table.h"

class QLabel;
class QPushButton;

namespace lettermorph {

class MessageBoxes;
class ReplacementField;
class SettingsFile;

// The settings window: a view of the replacement table. Each of the 66 fields edits its
// slot at once, so the next recoding uses it whether or not it was saved; every change to
// the table made elsewhere shows in the fields at once. Save writes settings.ini, Reset
// applies the built-in reset set, and Close or the close box only hide the window.
class SettingsWindow : public QWidget {
  Q_OBJECT

 public:
  SettingsWindow(ReplacementTable& table, const SettingsFile& settingsFile,
                 MessageBoxes& messageBoxes);

  // Makes the window visible and active, in front of the others, restored if it was minimised.
  void ShowInFront();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateGrid();
  void CreateFrame();
  void SetTabOrder();
  void Save();

  ReplacementTable& table_;
  const SettingsFile& settingsFile_;
  MessageBoxes& messageBoxes_;

  std::array<QLabel*, kSlotCount> letterLabels_{};
  std::array<ReplacementField*, kSlotCount> replacementFields_{};
  QLabel* headingLabel_ = nullptr;
  QPushButton* saveButton_ = nullptr;
  QPushButton* closeButton_ = nullptr;
  QPushButton* resetButton_ = nullptr;

  ReplacementTable::Subscription subscription_;
};

}  // namespace lettermorph
