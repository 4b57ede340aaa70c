#pragma once

class QCoreApplication;

namespace lettermorph {

// Loads Qt's own texts in Russian, whatever the locale, as the rest of the program speaks
// Russian: the text boxes' context menus (Undo, Cut, Paste…) and the buttons of standard
// boxes. Looks in translations/ beside the program first, where a Windows installation keeps
// them, then where Qt keeps them. Without the file the program runs on with Qt's English texts.
void LoadQtRussianTexts(QCoreApplication& application);

}  // namespace lettermorph
