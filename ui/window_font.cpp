#include "window_font.h"

#include <QFontDatabase>
#include <QStringList>

namespace lettermorph {

QFont WindowFont() {
  // The window layouts were measured with "MS Sans Serif". Faces with its narrow metrics come
  // next, since in wider ones, such as most Linux defaults, some captions need a smaller size
  // to fit; the platform's own sans-serif face is the last resort.
  static const QStringList kFaces = {
      QStringLiteral("MS Sans Serif"),
      QStringLiteral("Microsoft Sans Serif"),
      QStringLiteral("Tahoma"),
      QStringLiteral("Arial"),
      QStringLiteral("Liberation Sans"),
      QStringLiteral("Arimo"),
      QStringLiteral("DejaVu Sans Condensed"),
  };
  QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  const QStringList installed = QFontDatabase::families();
  for (const QString& face : kFaces) {
    // On Windows "MS Sans Serif" is a bitmap face in a few fixed sizes, which does not grow
    // with the display's scale: there another face, even a serif one, is drawn in its place.
    // Its outline successor, "Microsoft Sans Serif", is on every Windows.
    if (installed.contains(face) && QFontDatabase::isSmoothlyScalable(face)) {
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
