#include "ui/frmhelp.h"

#include <QLabel>
#include <QPushButton>

#include "ui/shell.h"
#include "ui/twips.h"
#include "ui/window_font.h"
#include "version.h"

namespace lettermorph {

frmHelp::frmHelp(Shell& shell)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("О программе"));
  setFont(WindowFont());
  setFixedSize(TwipsSize(3975, 1980));

  const auto label = [this](const char* name, const QString& caption, QRect geometry) {
    auto* created = new QLabel(caption, this);
    created->setObjectName(QString::fromLatin1(name));
    created->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    created->setWordWrap(true);
    created->setGeometry(geometry);
    return created;
  };
  Label3 = label("Label3", QStringLiteral(LETTERMORPH_NAME " " LETTERMORPH_VERSION),
                 TwipsRect(1410, 45, 1215, 255));
  Label1 = label("Label1",
                 QStringLiteral("Программа перекодирования слов в похожие, написанные "
                                "латинскими буквами. "),
                 TwipsRect(135, 360, 3705, 465));
  Label2 = label("Label2",
                 QStringLiteral("Введите текст на русском в верхнее поле и нажмите "
                                "\"Перекодировать\"."),
                 TwipsRect(135, 900, 3660, 375));

  const QString site = QStringLiteral(LETTERMORPH_SITE_URL);
  cmdSite = new QPushButton(site, this);
  cmdSite->setObjectName(QStringLiteral("cmdSite"));
  cmdSite->setGeometry(TwipsRect(877, 1440, 2220, 375));
  // Enter as well as the space bar presses the button that holds the focus.
  cmdSite->setAutoDefault(true);
  cmdSite->setFocus();
  connect(cmdSite, &QPushButton::clicked, this, [&shell, site] { shell.OpenAddress(site); });
}

}  // namespace lettermorph
