#include "alt_key_filter.h"

#include <QKeyEvent>
#include <QObject>
#include <QWidget>

namespace lettermorph {
namespace {

class AltKeyFilter final : public QObject {
 public:
  explicit AltKeyFilter(QObject* parent) : QObject(parent) {}

  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) {
      return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool alt = key->modifiers().testFlag(Qt::AltModifier) &&
                     !key->modifiers().testFlag(Qt::ControlModifier);
    const bool edits = (!key->text().isEmpty() && key->text().front().isPrint()) ||
                       key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete;
    return alt && edits;
  }
};

}  // namespace

void KeepAltKeysFromEditing(QWidget* textBox) {
  textBox->installEventFilter(new AltKeyFilter(textBox));
}

}  // namespace lettermorph
