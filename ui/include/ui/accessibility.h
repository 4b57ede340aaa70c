#pragma once

class QWidget;

namespace lettermorph {

// Shapes what screen readers see of the program's windows: the settings and about windows as
// windows rather than plain panels, message boxes as dialogs, their controls in the order the Tab
// key visits them, each after the label that names it, and the settings window's rules as
// separators. Call it once, after the QApplication is created and before any window is: an
// interface Qt has made for a widget stays in use for the widget's lifetime, and the factory Qt
// installs with the QApplication must not come after this one.
void InstallAccessibility();

// Makes `control` the first of its window's Tab stops that a screen reader reads. The Tab
// key's order is a cycle, and Qt's focus chain may enter it at another control. `control`
// must live as long as its window.
void ReadFirst(QWidget* control);

}  // namespace lettermorph
