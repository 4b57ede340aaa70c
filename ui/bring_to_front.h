#pragma once

class QWidget;

namespace lettermorph {

// Shows a top-level window and puts it in front of the others, active. A minimised window is
// restored first: raising and activating alone leave it minimised, and a desktop without a
// task bar offers no other way back to it.
void BringToFront(QWidget& window);

}  // namespace lettermorph
