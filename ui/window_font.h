#pragma once

#include <QFont>

namespace lettermorph {

// The size the window layouts were drawn for: 8.25 pt at 96 dots per inch. It is given in
// pixels, as the layouts are, so that text and boxes keep their proportions at any font
// resolution; Qt's scaling enlarges both alike.
inline constexpr int kDesignPixelSize = 11;

// The smallest size a caption is given so that it fits its box, and still reads well.
inline constexpr int kSmallestPixelSize = 9;

// The windows' default face, "MS Sans Serif" where it is installed as an outline face and a face
// of like width where it is not, at the size the layouts were drawn for.
QFont WindowFont();

// The same face in bold, for the labels.
QFont LabelFont();

}  // namespace lettermorph
