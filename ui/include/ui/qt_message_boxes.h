#pragma once

#include "ui/message_boxes.h"

namespace lettermorph {

class QtMessageBoxes final : public MessageBoxes {
 public:
  void Inform(QWidget* owner, const QString& title, const QString& text) override;
  void Warn(QWidget* owner, const QString& title, const QString& text) override;
};

}  // namespace lettermorph
