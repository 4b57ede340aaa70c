#include "ui/qt_message_boxes.h"

#include <QMessageBox>

namespace lettermorph {
namespace {

void Show(QWidget* owner, QMessageBox::Icon icon, const QString& title, const QString& text) {
  QMessageBox box(icon, title, text, QMessageBox::Ok, owner);
  box.exec();
}

}  // namespace

void QtMessageBoxes::Inform(QWidget* owner, const QString& title, const QString& text) {
  Show(owner, QMessageBox::NoIcon, title, text);
}

void QtMessageBoxes::Warn(QWidget* owner, const QString& title, const QString& text) {
  Show(owner, QMessageBox::Warning, title, text);
}

}  // namespace lettermorph
