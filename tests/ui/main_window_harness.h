#pragma once

#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <memory>

#include "fakes.h"
#include "settings/settings_file.h"
#include "ui/about_window.h"
#include "ui/main_window.h"
#include "window_checks.h"

namespace lettermorph {

// The main window on the offscreen platform, with a fake clipboard, shell and message boxes,
// and its settings.ini and the decoder's cache of words in a folder of its own.
struct MainWindowHarness {
  std::filesystem::path IniPath() const {
    return directory.filePath(QStringLiteral("settings.ini")).toStdString();
  }
  void Start() {
    const Platform platform{clipboard, shell, boxes};
    window = std::make_unique<MainWindow>(platform,
                                          SettingsFile(CodePage::Named("UTF-8"), IniPath()), words);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
  }
  template <typename T = QPushButton>
  T* Child(const char* name) const {
    return window->findChild<T*>(QString::fromLatin1(name));
  }
  // Closes every window and checks that none is left for the next test.
  void Stop() {
    window.reset();
    for (AboutWindow* about : TopLevel<AboutWindow>()) {
      about->close();
    }
    VerifyNoWindowsLeft();
    std::filesystem::remove_all(IniPath());
    clipboard = {};
    shell.opened.clear();
    boxes.shown.clear();
    words.dictionary = SmallDictionary();
  }
  // A Russian dictionary of one word, which the index of words is built from in little time.
  std::filesystem::path SmallDictionary() const {
    const std::string base = directory.filePath(QStringLiteral("ru")).toStdString();
    std::ofstream(base + ".aff") << "SET UTF-8\n";
    std::ofstream(base + ".dic") << "1\nжук\n";
    return base;
  }

  QTemporaryDir directory;
  WordSources words{SmallDictionary(), directory.filePath(QStringLiteral("cache")).toStdString()};
  FakeClipboard clipboard;
  RecordingShell shell;
  RecordingMessageBoxes boxes;
  std::unique_ptr<MainWindow> window;
};

}  // namespace lettermorph
