#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "sample_text.h"
#include "settings/settings_file.h"
#include "ui/desktop_shell.h"
#include "ui/main_window.h"
#include "ui/qt_clipboard.h"
#include "ui/qt_message_boxes.h"
#include "ui/text_bridge.h"

namespace lettermorph {
namespace {

// The whole main window on Qt's offscreen platform, with a settings file that is never there.
struct ShownMainWindow {
  ShownMainWindow()
      : platform{clipboard, shell, boxes},
        window(platform, SettingsFile(CodePage::Named("UTF-8"), "/nonexistent/settings.ini")) {
    window.show();
    input = window.findChild<QLineEdit*>(QStringLiteral("txtText"));
    output = window.findChild<QPlainTextEdit*>(QStringLiteral("txtOut"));
  }
  QPushButton* Button(const char* name) {
    return window.findChild<QPushButton*>(QString::fromLatin1(name));
  }

  QtClipboard clipboard;
  DesktopShell shell;
  QtMessageBoxes boxes;
  Platform platform;
  lettermorph::MainWindow window;
  QLineEdit* input;
  QPlainTextEdit* output;
};

// From the text in the input box to the recoded text painted in the output box.
void RecodeCommand(benchmark::State& state) {
  ShownMainWindow main;
  const QString text = ToQString(RussianProse(state.range(0)).substr(0, state.range(0)));
  main.input->setText(text);
  QPushButton* recode = main.Button("cmdDo");
  for (auto _ : state) {
    recode->click();
    main.window.repaint();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// From the text on the clipboard to the text painted in the input box.
void PasteCommand(benchmark::State& state) {
  ShownMainWindow main;
  QGuiApplication::clipboard()->setText(
      ToQString(RussianProse(state.range(0)).substr(0, state.range(0))));
  QPushButton* paste = main.Button("cmdClPaste");
  for (auto _ : state) {
    state.PauseTiming();
    main.input->clear();
    main.window.repaint();
    state.ResumeTiming();
    paste->click();
    main.window.repaint();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(RecodeCommand)->Arg(32767)->Arg(1 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(PasteCommand)->Arg(32767)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lettermorph

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
