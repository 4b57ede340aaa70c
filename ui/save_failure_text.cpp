#include "save_failure_text.h"

#include <QDir>
#include <system_error>

#include "system/atomic_file.h"
#include "system/error_text.h"

namespace lettermorph {
namespace {

QString StepText(FileStep step) {
  switch (step) {
    case FileStep::Read:
      return QStringLiteral("не удалось прочитать файл «%1»");
    case FileStep::Create:
      return QStringLiteral("не удалось создать файл рядом с «%1»");
    case FileStep::Write:
      return QStringLiteral("не удалось записать файл «%1»");
    case FileStep::Sync:
      return QStringLiteral("не удалось сохранить файл «%1» на диск");
    case FileStep::Flush:
      return QStringLiteral("не удалось закрыть файл «%1»");
    case FileStep::Reserve:
      return QStringLiteral("не удалось выделить место под файл «%1»");
    case FileStep::Replace:
      return QStringLiteral("не удалось заменить файл «%1»");
  }
  return {};
}

QString ReasonText(const std::error_code& reason) {
  const std::pair<std::errc, const char16_t*> known[] = {
      {std::errc::permission_denied, u"нет прав на запись"},
      {std::errc::operation_not_permitted, u"нет прав на запись"},
      {std::errc::no_space_on_device, u"на диске нет места"},
      {std::errc::read_only_file_system, u"диск доступен только для чтения"},
      {std::errc::is_a_directory, u"под этим именем находится папка"},
      {std::errc::no_such_file_or_directory, u"такой папки нет"},
      {std::errc::not_a_directory, u"такой папки нет"},
      {std::errc::file_too_large, u"файл слишком велик"},
      {std::errc::device_or_resource_busy, u"файл занят другой программой"},
  };
  for (const auto& [condition, text] : known) {
    if (reason == condition) {
      return QString::fromUtf16(text);
    }
  }
  return QString::fromStdString(ErrorText(reason));
}

}  // namespace

QString SaveFailureText(const FileFailure& failure) {
  const QString file = QDir::toNativeSeparators(
      QDir::current().absoluteFilePath(QString::fromStdU16String(failure.file.u16string())));
  QString outcome;
  switch (failure.left) {
    case FileLeft::Old:
      outcome = QStringLiteral("Прежний файл настроек не изменён.");
      break;
    case FileLeft::Damaged:
      outcome =
          QStringLiteral("Файл настроек повреждён: новые настройки записаны в него лишь частично.");
      break;
    case FileLeft::NewUnsynced:
      outcome = QStringLiteral(
          "Файл настроек перезаписан, но новые настройки могли не дойти до диска полностью.");
      break;
  }
  return QStringLiteral("Настройки не сохранены: %1 (%2). %3")
      .arg(StepText(failure.step).arg(file), ReasonText(failure.reason), outcome);
}

}  // namespace lettermorph
