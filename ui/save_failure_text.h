#pragma once

#include <QString>

namespace lettermorph {

struct FileFailure;

// What the settings window tells the user when a save failed: which file, what could not be
// done to it, why, and what is left of the previous settings file. The reasons a user can
// meet are given in Russian, as the rest of the window is; others in the system's own words.
QString SaveFailureText(const FileFailure& failure);

}  // namespace lettermorph
