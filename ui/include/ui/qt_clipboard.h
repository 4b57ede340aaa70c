#pragma once

#include "ui/clipboard.h"

namespace lettermorph {

// The system clipboard through Qt, which speaks each platform's plain-text format.
class QtClipboard final : public Clipboard {
 public:
  bool HasText() const override;
  QString Text() const override;
  void Clear() override;
  void SetText(const QString& text) override;
};

}  // namespace lettermorph
