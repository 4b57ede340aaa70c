#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace lettermorph {

class Shell;

// The about window: the program's name and version, what it does, how to use it, and a
// button that opens its web site. Closing it destroys it.
class frmHelp : public QWidget {
  Q_OBJECT

 public:
  explicit frmHelp(Shell& shell);

 private:
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  QPushButton* cmdSite = nullptr;
};

}  // namespace lettermorph
