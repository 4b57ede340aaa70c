#include "ui/frmhelp.h"

#include <QLabel>
#include <QPushButton>

#include "ui/place.h"
#include "ui/shell.h"
#include "ui/twips.h"
#include "ui/window_font.h"
#include "ui/window_icon.h"
#include "version.h"

namespace lettermorph {

frmHelp::frmHelp(Shell& shell)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("О программе"));
  setWindowIcon(WindowIcon());
  setFont(WindowFont());
  setFixedSize(TwipsSize(3975, 1980));

  Label3 = Place<QLabel>(this, "Label3", TwipsRect(1410, 45, 1215, 255),
                         QStringLiteral(LETTERMORPH_NAME " " LETTERMORPH_VERSION));
  Label1 = Place<QLabel>(this, "Label1", TwipsRect(135, 360, 3705, 465),
                         QStringLiteral("Программа перекодирования слов в похожие, написанные "
                                        "латинскими буквами. "));
  Label2 = Place<QLabel>(this, "Label2", TwipsRect(135, 900, 3660, 375),
                         QStringLiteral("Введите текст на русском в верхнее поле и нажмите "
                                        "\"Перекодировать\"."));
  for (QLabel* label : {Label1, Label2, Label3}) {
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setWordWrap(true);
  }

  const QString site = QStringLiteral(LETTERMORPH_SITE_URL);
  cmdSite = Place<QPushButton>(this, "cmdSite", TwipsRect(877, 1440, 2220, 375), site);
  // Enter as well as the space bar presses the button that holds the focus.
  cmdSite->setAutoDefault(true);
  cmdSite->setFocus();
  cmdSite->setAccessibleDescription(QStringLiteral("Открывает сайт программы в браузере"));
  connect(cmdSite, &QPushButton::clicked, this, [&shell, site] { shell.OpenAddress(site); });
}

}  // namespace lettermorph
