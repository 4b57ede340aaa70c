#pragma once

class QWidget;

namespace lettermorph {

// Keeps key combinations with Alt from editing `textBox`: Alt+F does not type "f", nor does
// Alt+Backspace undo. AltGr, which Windows reports as Ctrl+Alt, still types its characters,
// and Alt with a key that edits nothing, such as Alt+F4, goes on to the window.
void KeepAltKeysFromEditing(QWidget* textBox);

}  // namespace lettermorph
