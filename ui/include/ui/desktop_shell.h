#pragma once

#include "ui/shell.h"

namespace lettermorph {

// ShellExecuteA with the "Open" verb on Windows; the desktop's URL handler elsewhere.
class DesktopShell final : public Shell {
 public:
  void OpenAddress(const QString& address) override;
};

}  // namespace lettermorph
