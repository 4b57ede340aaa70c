#pragma once

#include <QString>

namespace lettermorph {

struct FileFailure;

// What the settings window tells the user when a save failed: which file, what could not be
// done to it, why, and whether the previous settings file is still as it was. The reasons a
// user can meet are given in Russian, as the rest of the window is; others in the system's own
// words.
QString SaveFailureText(const FileFailure& failure);

}  // namespace lettermorph
