#include "ui/about_window.h"

#include <QLabel>
#include <QPushButton>

#include "caption_fit.h"
#include "place.h"
#include "twips.h"
#include "ui/shell.h"
#include "version.h"
#include "window_font.h"
#include "window_icon.h"

namespace lettermorph {

AboutWindow::AboutWindow(Shell& shell)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint) {
  setAttribute(Qt::WA_DeleteOnClose);
  setObjectName(QStringLiteral("frmHelp"));
  setWindowTitle(QStringLiteral("О программе"));
  setWindowIcon(WindowIcon());
  setFont(WindowFont());
  setFixedSize(TwipsSize(3975, 1980));

  nameLabel_ = Place<QLabel>(this, "Label3", TwipsRect(1410, 45, 1215, 255),
                             QStringLiteral(LETTERMORPH_NAME " " LETTERMORPH_VERSION));
  purposeLabel_ =
      Place<QLabel>(this, "Label1", TwipsRect(135, 360, 3705, 465),
                    QStringLiteral("Программа перекодирования слов в похожие, написанные "
                                   "латинскими буквами. "));
  usageLabel_ = Place<QLabel>(this, "Label2", TwipsRect(135, 900, 3660, 375),
                              QStringLiteral("Введите текст на русском в верхнее поле и нажмите "
                                             "\"Перекодировать\"."));
  for (QLabel* label : {purposeLabel_, usageLabel_, nameLabel_}) {
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setWordWrap(true);
  }

  const QString site = QStringLiteral(LETTERMORPH_SITE_URL);
  siteButton_ = Place<QPushButton>(this, "cmdSite", TwipsRect(877, 1440, 2220, 375), site);
  // Enter as well as the space bar presses the button that holds the focus.
  siteButton_->setAutoDefault(true);
  siteButton_->setFocus();
  siteButton_->setAccessibleDescription(QStringLiteral("Открывает сайт программы в браузере"));
  connect(siteButton_, &QPushButton::clicked, this, [&shell, site] { shell.OpenAddress(site); });
  FitCaptions(*this);
}

}  // namespace lettermorph
