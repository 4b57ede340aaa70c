#pragma once

class QWidget;

namespace lettermorph {

// Gives every label and button of `window` whose caption would be cut in its box a font in
// which the whole caption shows: a narrower face the system has, or a smaller size, down to
// the smallest that still reads well. Captions that fit keep the window's font. Call it once
// the controls have their captions, fonts and boxes.
void FitCaptions(QWidget& window);

}  // namespace lettermorph
