#pragma once

#include <QString>

class QWidget;

namespace lettermorph {

// Modal message boxes with a single OK button, over the window that asks for them.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // A box without an icon, for the program's own messages.
  virtual void Inform(QWidget* owner, const QString& title, const QString& text) = 0;
  // A box with a warning icon, for a failure the user has to know about.
  virtual void Warn(QWidget* owner, const QString& title, const QString& text) = 0;
};

}  // namespace lettermorph
