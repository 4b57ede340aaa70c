#pragma once

#include <QString>

namespace lettermorph {

// The clipboard as the main window uses it: plain text only.
class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual bool HasText() const = 0;
  virtual QString Text() const = 0;
  virtual void Clear() = 0;
  virtual void SetText(const QString& text) = 0;
};

}  // namespace lettermorph
