#pragma once

class QLineEdit;

namespace lettermorph {

// Takes out of a single-line field any CR or LF that the user typed or pasted in, keeping
// the cursor at the same place in the rest of the text: a pasted "abc\r\n" becomes "abc" and
// the text around it stays. Values the program itself puts in the field are left alone.
void DropLineBreaks(QLineEdit& field);

}  // namespace lettermorph
