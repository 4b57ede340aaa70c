#include "ui/desktop_shell.h"

#ifdef _WIN32
#include <shellapi.h>
#include <windows.h>
#else
#include <QDesktopServices>
#include <QUrl>
#endif

namespace lettermorph {

void DesktopShell::OpenAddress(const QString& address) {
#ifdef _WIN32
  // Show command 5 (SW_SHOW): the browser's window as it is. The result is not examined.
  const QByteArray ansi = address.toLocal8Bit();
  ShellExecuteA(nullptr, "Open", ansi.constData(), nullptr, nullptr, SW_SHOW);
#else
  QDesktopServices::openUrl(QUrl(address));
#endif
}

}  // namespace lettermorph
