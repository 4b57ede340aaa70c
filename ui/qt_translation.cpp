#include "ui/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace lettermorph {

void LoadQtRussianTexts(QCoreApplication& application) {
  auto* translator = new QTranslator(&application);
  for (const QString& folder :
       {QCoreApplication::applicationDirPath() + QStringLiteral("/translations"),
        QLibraryInfo::path(QLibraryInfo::TranslationsPath)}) {
    if (translator->load(QStringLiteral("qtbase_ru"), folder)) {
      QCoreApplication::installTranslator(translator);
      return;
    }
  }
  delete translator;
}

}  // namespace lettermorph
