#pragma once

#include <QString>

namespace lettermorph {

// Asks the operating system to open an address in the user's browser. Nothing is reported:
// whether a browser appears is the system's business.
class Shell {
 public:
  virtual ~Shell() = default;
  virtual void OpenAddress(const QString& address) = 0;
};

}  // namespace lettermorph
