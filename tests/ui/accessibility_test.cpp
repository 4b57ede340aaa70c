#include <QAccessible>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <filesystem>

#include "main_window_harness.h"
#include "ui/accessibility.h"
#include "ui/settings_window.h"

namespace lettermorph {

// What a screen reader is told about the windows, read through the same accessibility
// interfaces the platform's bridge reads.
class AccessibilityTest : public QObject {
  Q_OBJECT

 private:
  static QAccessibleInterface* Interface(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
  }
  template <typename T>
  static T* Window() {
    return TopLevel<T>().value(0);
  }
  // The object names of a container's children, in the order a screen reader walks them;
  // each child must also know its own place, which is how a reader steps to its neighbours.
  static QStringList ReadingOrder(QWidget* container) {
    QAccessibleInterface* parent = Interface(container);
    QStringList names;
    for (int index = 0; index < parent->childCount(); ++index) {
      QAccessibleInterface* child = parent->child(index);
      names << child->object()->objectName();
      if (child->parent()->object() != container || parent->indexOfChild(child) != index) {
        names << QStringLiteral("(misplaced)");
      }
    }
    return names;
  }

  MainWindowHarness main_;

 private Q_SLOTS:
  void initTestCase() { InstallAccessibility(); }
  void init() { main_.Start(); }
  void cleanup() { main_.Stop(); }

  void everyTextBoxIsNamed_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::newRow("txtText") << "txtText"
                             << "Исходное слово"
                             << "";
    QTest::newRow("txtOut") << "txtOut"
                            << "Результат перекодировки"
                            << "";
    const QStringList letters = {
        "А", "Б", "В", "Г", "Д", "Е", "Ё", "Ж", "З", "И", "Й", "К", "Л", "М", "Н", "О", "П",
        "Р", "С", "Т", "У", "Ф", "Х", "Ц", "Ч", "Ш", "Щ", "Ъ", "Ы", "Ь", "Э", "Ю", "Я", "а",
        "б", "в", "г", "д", "е", "ё", "ж", "з", "и", "й", "к", "л", "м", "н", "о", "п", "р",
        "с", "т", "у", "ф", "х", "ц", "ч", "ш", "щ", "ъ", "ы", "ь", "э", "ю", "я"};
    for (int slot = 0; slot < letters.size(); ++slot) {
      const QString field = QStringLiteral("txtSym(%1)").arg(slot);
      QTest::newRow(qPrintable(field))
          << field << letters[slot] << QStringLiteral("Замена буквы ") + letters[slot];
    }
  }

  void everyTextBoxIsNamed() {
    QFETCH(QString, box);
    QFETCH(QString, name);
    QFETCH(QString, description);
    QWidget* found = main_.window->findChild<QWidget*>(box);
    if (found == nullptr) {
      found = Window<SettingsWindow>()->findChild<QLineEdit*>(box);
    }
    QAccessibleInterface* field = Interface(found);
    QCOMPARE(field->role(), QAccessible::EditableText);
    QCOMPARE(field->text(QAccessible::Name), name);
    QCOMPARE(field->text(QAccessible::Description), description);
  }

  void windowsAreWindowsWithTheirTitles() {
    main_.window->findChild<QAction*>(QStringLiteral("About"))->trigger();
    const std::pair<QWidget*, QString> windows[] = {{main_.window.get(), "Lettermorph"},
                                                    {Window<SettingsWindow>(), "Настройки"},
                                                    {Window<AboutWindow>(), "О программе"}};
    for (const auto& [window, title] : windows) {
      QCOMPARE(Interface(window)->role(), QAccessible::Window);
      QCOMPARE(Interface(window)->text(QAccessible::Name), title);
    }
    QCOMPARE(Interface(Window<SettingsWindow>()->findChild<QWidget*>("Line1"))->role(),
             QAccessible::Separator);
    QAccessibleInterface* site =
        Interface(Window<AboutWindow>()->findChild<QPushButton*>("cmdSite"));
    QCOMPARE(site->text(QAccessible::Description),
             QStringLiteral("Открывает сайт программы в браузере"));
  }

  void readingOrderIsTabOrderWithEachLabelFirst() {
    main_.window->findChild<QAction*>(QStringLiteral("About"))->trigger();
    QCOMPARE(ReadingOrder(main_.window->centralWidget()),
             (QStringList{"Label2", "txtText", "Label3", "txtOut", "cmdOptions", "cmdClear",
                          "cmdClCopy", "cmdDo", "cmdClPaste"}));
    QCOMPARE(ReadingOrder(Window<AboutWindow>()),
             (QStringList{"Label3", "Label1", "Label2", "cmdSite"}));

    auto* settings = Window<SettingsWindow>();
    QStringList order = ReadingOrder(settings);
    QCOMPARE(order.mid(0, 7), (QStringList{"Label2", "Line3", "Line1", "Line2", "Line4",
                                           "Label1(32)", "txtSym(32)"}));
    QStringList tabStops;
    for (const QWidget* stop : TabStopsFrom(settings->findChild<QLineEdit*>("txtSym(32)"))) {
      tabStops << stop->objectName();
    }
    for (int index = 5; index < order.size(); ++index) {
      if (order[index].startsWith("Label1(")) {
        QCOMPARE(QString(order[index]).replace("Label1", "txtSym"), order.value(index + 1));
        order.removeAt(index);
      }
    }
    QCOMPARE(order.mid(5), tabStops);
  }
};

}  // namespace lettermorph

QTEST_MAIN(lettermorph::AccessibilityTest)
#include "accessibility_test.moc"
