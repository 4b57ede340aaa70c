#pragma once

// How a recoding flows: the user types or pastes into txtText; Recode hands that text and
// the one ReplacementTable to the engine's recoding pass and shows the result in txtOut,
// from where Copy puts it on the clipboard. The table is shown and edited by the settings
// window (frmSettings), which writes every edit into it at once and saves it to settings.ini
// through SettingsFile on request; the main window reads settings.ini once, as it starts.

#include <QMainWindow>
#include <QPointer>
#include <memory>

#include "engine/replacement_table.h"
#include "settings/settings_file.h"
#include "ui/platform.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace lettermorph {

class frmHelp;
class frmSettings;

// The main window. Creating it creates the table and the hidden settings window and reads
// settings.ini; closing it destroys the settings window without saving.
class Form1 : public QMainWindow {
  Q_OBJECT

 public:
  Form1(const Platform& platform, SettingsFile settingsFile);
  ~Form1() override;

  // The outer size below which the layout rule grows the window back, in twips.
  static constexpr int kMinimumWidth = 5500;
  static constexpr int kMinimumHeight = 3800;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateControls();
  void CreateMenus();
  void ApplyLayoutRule();
  // Resizes the window; a resize this window did not ask for is the user's.
  void ResizeTo(const QSize& size);

  void Recode();
  void Paste();
  void Copy();
  void Clear();
  void ShowSettings();
  void ShowAbout();

  Platform platform_;
  ReplacementTable table_;
  SettingsFile settingsFile_;
  std::unique_ptr<frmSettings> settings_;
  QPointer<frmHelp> help_;

  QSize createdSize_;    // the size the window is created with, inside its frame
  QSize requestedSize_;  // the size it last asked for
  QSize frameSeen_;      // what the frame added to the size when the rule last ran
  bool sizedByUser_ = false;

  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  QLineEdit* txtText = nullptr;
  QPlainTextEdit* txtOut = nullptr;
  QPushButton* cmdDo = nullptr;
  QPushButton* cmdClPaste = nullptr;
  QPushButton* cmdClCopy = nullptr;
  QPushButton* cmdClear = nullptr;
  QPushButton* cmdOptions = nullptr;
};

}  // namespace lettermorph
