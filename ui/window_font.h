#pragma once

#include <QFont>

namespace lettermorph {

// The windows' default face, 8.25 pt "MS Sans Serif" where it is installed as an outline face,
// a face of its width where it is not, and the platform's sans-serif face at the same size where
// none is, so captions fit the boxes they were measured for.
QFont WindowFont();

// The same face in bold, for the labels.
QFont LabelFont();

}  // namespace lettermorph
