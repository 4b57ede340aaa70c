#include "ui/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace lettermorph {

bool QtClipboard::HasText() const {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  return data != nullptr && data->hasText();
}

QString QtClipboard::Text() const {
  return QGuiApplication::clipboard()->text();
}

void QtClipboard::Clear() {
  QGuiApplication::clipboard()->clear();
}

void QtClipboard::SetText(const QString& text) {
  QGuiApplication::clipboard()->setText(text);
}

}  // namespace lettermorph
