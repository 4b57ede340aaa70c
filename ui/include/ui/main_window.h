#pragma once

// How a recoding flows: the user types or pastes into the input box; Recode hands that text
// and the one ReplacementTable to the recoding pass and shows the result in the output box,
// from where Copy puts it on the clipboard. The table is shown and edited by the settings
// window (SettingsWindow), which writes every edit into it at once and saves it to settings.ini
// through SettingsFile on request; the main window reads settings.ini once, as it starts.
// The menu's Decode goes the other way, input box -> WindowDecoder with the same table ->
// output box.

#include <QMainWindow>
#include <QPointer>
#include <memory>

#include "recode/replacement_table.h"
#include "settings/settings_file.h"
#include "ui/platform.h"
#include "ui/window_decoder.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace lettermorph {

class AboutWindow;
class SettingsWindow;

// The main window. Creating it creates the table and the hidden settings window and reads
// settings.ini; closing it destroys the settings window without saving.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  MainWindow(const Platform& platform, SettingsFile settingsFile, WordSources words = {});
  ~MainWindow() override;

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
  void Decode();
  void Paste();
  void Copy();
  void Clear();
  void ShowSettings();
  void ShowAbout();

  Platform platform_;
  ReplacementTable table_;
  SettingsFile settingsFile_;
  WindowDecoder decoder_;
  std::unique_ptr<SettingsWindow> settingsWindow_;
  QPointer<AboutWindow> aboutWindow_;

  QSize createdSize_;    // the size the window is created with, inside its frame
  QSize requestedSize_;  // the size it last asked for
  QSize frameSeen_;      // what the frame added to the size when the rule last ran
  bool sizedByUser_ = false;

  QLabel* inputLabel_ = nullptr;
  QLabel* outputLabel_ = nullptr;
  QLineEdit* inputBox_ = nullptr;
  QPlainTextEdit* outputBox_ = nullptr;
  QPushButton* recodeButton_ = nullptr;
  QPushButton* pasteButton_ = nullptr;
  QPushButton* copyButton_ = nullptr;
  QPushButton* clearButton_ = nullptr;
  QPushButton* settingsButton_ = nullptr;
};

}  // namespace lettermorph
