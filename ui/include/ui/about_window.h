#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace lettermorph {

class Shell;

// The about window: the program's name and version, what it does, how to use it, and a
// button that opens its web site. Closing it destroys it.
class AboutWindow : public QWidget {
  Q_OBJECT

 public:
  explicit AboutWindow(Shell& shell);

 private:
  QLabel* purposeLabel_ = nullptr;
  QLabel* usageLabel_ = nullptr;
  QLabel* nameLabel_ = nullptr;
  QPushButton* siteButton_ = nullptr;
};

}  // namespace lettermorph
