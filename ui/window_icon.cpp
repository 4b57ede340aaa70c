#include "window_icon.h"

#include <QDir>

namespace lettermorph {

QIcon WindowIcon() {
  QIcon icon;
  // Without a size, QIcon reads each picture's own.
  for (const QFileInfo& picture : QDir(QStringLiteral(":/window-icon")).entryInfoList()) {
    icon.addFile(picture.filePath());
  }
  return icon;
}

}  // namespace lettermorph
