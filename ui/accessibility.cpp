#include "ui/accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFrame>
#include <QHash>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QVariant>

#include "ui/about_window.h"
#include "ui/main_window.h"
#include "ui/settings_window.h"

namespace lettermorph {
namespace {

constexpr char kReadFirstProperty[] = "lettermorphReadFirst";

// A container whose children a screen reader walks in this order: first what takes no focus
// and names nothing, such as a heading, as it was made; then the Tab stops in Tab order, each
// after its label. Qt lists the children as they were made, which is not the Tab order.
class FocusOrderedContainer final : public QAccessibleWidget {
 public:
  FocusOrderedContainer(QWidget* widget, QAccessible::Role role)
      : QAccessibleWidget(widget, role) {}

  int childCount() const override { return static_cast<int>(Children().size()); }

  QAccessibleInterface* child(int index) const override {
    const QWidgetList children = Children();
    return index >= 0 && index < children.size()
               ? QAccessible::queryAccessibleInterface(children[index])
               : nullptr;
  }

  int indexOfChild(const QAccessibleInterface* child) const override {
    if (child == nullptr || child->object() == nullptr || !child->object()->isWidgetType()) {
      return -1;
    }
    return static_cast<int>(Children().indexOf(static_cast<QWidget*>(child->object())));
  }

 private:
  QWidgetList Children() const {
    QWidget* container = widget();
    QHash<const QWidget*, QLabel*> labelOf;
    QWidgetList ordered;
    for (QWidget* child : container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (child->isWindow() || qobject_cast<QMenu*>(child) != nullptr) {
        continue;
      }
      auto* label = qobject_cast<QLabel*>(child);
      if (label != nullptr && label->buddy() != nullptr &&
          label->buddy()->parentWidget() == container) {
        labelOf.insert(label->buddy(), label);
      } else if (!(child->focusPolicy() & Qt::TabFocus)) {
        ordered << child;
      }
    }

    // The window's focus chain holds every widget of the window and runs through the Tab stops
    // in Tab order.
    QWidget* window = container->window();
    auto* start = qvariant_cast<QWidget*>(window->property(kReadFirstProperty));
    if (start == nullptr) {
      start = window;
    }
    QWidget* next = start;
    do {
      if (next->parentWidget() == container && !next->isWindow() &&
          (next->focusPolicy() & Qt::TabFocus)) {
        if (QLabel* label = labelOf.value(next)) {
          ordered << label;
        }
        ordered << next;
      }
      next = next->nextInFocusChain();
    } while (next != start);
    return ordered;
  }
};

QAccessibleInterface* CreateInterface(const QString&, QObject* object) {
  if (qobject_cast<SettingsWindow*>(object) != nullptr ||
      qobject_cast<AboutWindow*>(object) != nullptr) {
    return new FocusOrderedContainer(static_cast<QWidget*>(object), QAccessible::Window);
  }
  // Qt presents a message box as an alert; like the program's other windows, it is announced
  // as a window of its own, a dialog, with its text in a label a reader reads as it opens.
  if (qobject_cast<QMessageBox*>(object) != nullptr) {
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Dialog);
  }
  if (const auto* main = qobject_cast<MainWindow*>(object->parent());
      main != nullptr && main->centralWidget() == object) {
    return new FocusOrderedContainer(static_cast<QWidget*>(object), QAccessible::Client);
  }
  // Qt presents a plain QFrame as a border, which AT-SPI calls a "frame", its word for a
  // window too; a horizontal rule is a separator.
  if (object->metaObject() == &QFrame::staticMetaObject &&
      static_cast<QFrame*>(object)->frameShape() == QFrame::HLine) {
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Separator);
  }
  return nullptr;
}

}  // namespace

void InstallAccessibility() {
  QAccessible::installFactory(&CreateInterface);
}

void ReadFirst(QWidget* control) {
  control->window()->setProperty(kReadFirstProperty, QVariant::fromValue(control));
}

}  // namespace lettermorph
