#pragma once

#include <QRect>
#include <QString>
#include <QWidget>
#include <utility>

namespace lettermorph {

// Creates a control as a child of `parent` at a fixed place, named after its part in the
// window so that tests and accessibility tools can find it. `args` come before the parent
// in the control's constructor, such as a caption.
template <typename Control, typename... Args>
Control* Place(QWidget* parent, const QString& name, const QRect& geometry, Args&&... args) {
  auto* control = new Control(std::forward<Args>(args)..., parent);
  control->setObjectName(name);
  control->setGeometry(geometry);
  return control;
}

}  // namespace lettermorph
