#include "ui/desktop_shell.h"

#include <QDesktopServices>
#include <QUrl>

#include "system/desktop.h"

namespace lettermorph {

void DesktopShell::OpenAddress(const QString& address) {
  if (!OpenWithWindowsShell(address.toStdString())) {
    QDesktopServices::openUrl(QUrl(address));
  }
}

}  // namespace lettermorph
