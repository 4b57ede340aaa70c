#pragma once

#include <QIcon>

namespace lettermorph {

// The program's icon, a Cyrillic letter coming apart into its Latin look-alike, at every size
// the build rendered; empty where the build has no icon.
QIcon WindowIcon();

}  // namespace lettermorph
