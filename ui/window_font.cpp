#include "window_font.h"

#include <QFontDatabase>
#include <QStringList>

namespace lettermorph {

QFont WindowFont() {
  // The window layouts were measured with "MS Sans Serif". Faces with its narrow metrics come
  // next, since in wider ones, such as most Linux defaults, some captions need a smaller size
  // to fit; the platform's own sans-serif face is the last resort.
  static const QStringList kFaces = {
      QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
      QStringLiteral("Arial"),         QStringLiteral("Liberation Sans"),
      QStringLiteral("Arimo"),         QStringLiteral("DejaVu Sans Condensed"),
  };
  QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  const QStringList installed = QFontDatabase::families();
  for (const QString& face : kFaces) {
    if (installed.contains(face)) {
      font.setFamily(face);
      break;
    }
  }
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(kDesignPixelSize);
  font.setBold(false);
  return font;
}

QFont LabelFont() {
  QFont font = WindowFont();
  font.setBold(true);
  return font;
}

}  // namespace lettermorph
