#include <QApplication>
#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>
#include <csignal>
#include <cstdlib>

#include "settings/settings_file.h"
#include "system/code_page.h"
#include "system/desktop.h"
#include "ui/accessibility.h"
#include "ui/desktop_shell.h"
#include "ui/main_window.h"
#include "ui/qt_clipboard.h"
#include "ui/qt_message_boxes.h"
#include "ui/qt_translation.h"

namespace {

// Without a display Qt would print several lines and abort with a core dump; one line and
// a plain exit status tell the user what is wrong.
void ExitIfNoDisplay() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    if (const auto missing = lettermorph::MissingDisplay()) {
      lettermorph::ReportStartupFailure("lettermorph: " + *missing);
      std::exit(1);
    }
  }
}

// What Qt warned of while the application started. Its one fatal error then says only that no
// platform plugin could be started; the warnings say whether the plugin could not be loaded
// or could not reach the display.
QStringList startupWarnings;

std::string PlatformFailureText(const QString& fatal) {
  for (const QString& warning : startupWarnings) {
    if (warning.startsWith(QLatin1String("could not connect to display"))) {
      const QByteArray display = qgetenv("DISPLAY");
      return display.isEmpty()
                 ? "lettermorph: cannot connect to a display: DISPLAY is not set"
                 : "lettermorph: cannot connect to the display \"" + display.toStdString() + "\"";
    }
  }
  const QString reason =
      startupWarnings.isEmpty() ? fatal.section(u'\n', 0, 0) : startupWarnings.join(u' ');
  std::string text = "lettermorph: cannot start the window system: " + reason.toStdString();
  if (reason.contains(QLatin1String("platform plugin"))) {
    text += " (QT_DEBUG_PLUGINS=1 shows why)";
  }
  return text;
}

void ExitOnPlatformFailure(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
  if (type != QtFatalMsg) {
    if (QByteArrayView(context.category).startsWith("qt.qpa")) {
      startupWarnings << message;
    }
    return;
  }
  lettermorph::ReportStartupFailure(PlatformFailureText(message));
  std::_Exit(1);
}

}  // namespace

int main(int argc, char* argv[]) {
  ExitIfNoDisplay();
#ifdef SIGXFSZ
  // With a file size limit in force, a save that reaches it fails with an error the settings
  // window reports, instead of the signal ending the program and losing unsaved edits.
  std::signal(SIGXFSZ, SIG_IGN);
#endif

  const QtMessageHandler defaultHandler = qInstallMessageHandler(ExitOnPlatformFailure);
  QApplication app(argc, argv);
  qInstallMessageHandler(defaultHandler);
  lettermorph::InstallAccessibility();
  lettermorph::LoadQtRussianTexts(app);
  // Tells a Wayland desktop which menu entry, and so which icon, the windows belong to.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.lettermorph.Lettermorph"));

  lettermorph::QtClipboard clipboard;
  lettermorph::DesktopShell shell;
  lettermorph::QtMessageBoxes messageBoxes;
  const lettermorph::Platform platform{clipboard, shell, messageBoxes};

  lettermorph::MainWindow window(platform,
                                 lettermorph::SettingsFile(lettermorph::CodePage::System()));
  window.show();
  return app.exec();
}
