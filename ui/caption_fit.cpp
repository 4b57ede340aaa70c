#include "caption_fit.h"

#include <QFontDatabase>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <limits>

#include "window_font.h"

namespace lettermorph {
namespace {

// Faces that set a text in less width than most, tried in this order before a smaller size.
const QStringList kNarrowFaces = {QStringLiteral("DejaVu Sans Condensed"),
                                  QStringLiteral("Liberation Sans Narrow"),
                                  QStringLiteral("Arial Narrow")};

// A control's caption and where the control draws it, in the control's own coordinates.
struct Caption {
  QString text;
  QRect box;
  int flags;
};

Caption CaptionOf(const QLabel& label) {
  return {label.text(), label.contentsRect(),
          static_cast<int>(label.alignment()) | (label.wordWrap() ? Qt::TextWordWrap : 0)};
}

// A button centres its caption in the part of it inside its frame, and clips it there.
Caption CaptionOf(const QPushButton& button) {
  QStyleOptionButton option;
  option.initFrom(&button);
  option.text = button.text();
  if (button.autoDefault()) {
    option.features |= QStyleOptionButton::AutoDefaultButton;
  }
  return {button.text(),
          button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button),
          Qt::AlignCenter};
}

// How many pixels of the caption's ink fall outside its box when it is drawn in `font` at
// `ratio` device pixels to a pixel: none when the whole caption shows. The ink, not the
// font's line height, decides, as faces differ widely in the room they reserve above and
// below their letters.
int PixelsCut(const Caption& caption, const QFont& font, qreal ratio) {
  const QFontMetrics metrics(font);
  // Room for everything drawn outside the box, with a line's height to spare for ink that
  // reaches past the letters' advance or the lines' height.
  const int spare = metrics.height();
  const QRect area =
      caption.box.united(metrics.boundingRect(caption.box, caption.flags, caption.text))
          .adjusted(-spare, -spare, spare, spare);
  QImage canvas(area.size() * ratio, QImage::Format_Alpha8);
  canvas.setDevicePixelRatio(ratio);
  canvas.fill(0);
  QPainter painter(&canvas);
  painter.setFont(font);
  painter.translate(-area.topLeft());
  painter.drawText(caption.box, caption.flags | Qt::TextDontClip, caption.text);
  painter.end();

  const QRect inside = QRectF(QPointF(caption.box.topLeft() - area.topLeft()) * ratio,
                              QSizeF(caption.box.size()) * ratio)
                           .toAlignedRect();
  int cut = 0;
  for (int y = 0; y < canvas.height(); ++y) {
    const uchar* row = canvas.constScanLine(y);
    for (int x = 0; x < canvas.width(); ++x) {
      if (row[x] != 0 && !inside.contains(x, y)) {
        ++cut;
      }
    }
  }
  return cut;
}

// The first of the control's own face and the narrow faces, from the largest size down, in
// which the caption shows whole: no line wider than the box, as Qt measures lines, and no ink
// outside it. Where none does, the one that cuts the least.
QFont FittedFont(const Caption& caption, const QFont& base, qreal ratio) {
  QStringList faces = {base.family()};
  for (const QString& face : kNarrowFaces) {
    if (face != base.family() && QFontDatabase::hasFamily(face) &&
        QFontDatabase::writingSystems(face).contains(QFontDatabase::Cyrillic)) {
      faces << face;
    }
  }
  QFont fitted = base;
  int fewestCut = std::numeric_limits<int>::max();
  for (int size = QFontInfo(base).pixelSize(); size >= kSmallestPixelSize; --size) {
    for (const QString& face : faces) {
      QFont candidate = base;
      candidate.setFamily(face);
      candidate.setPixelSize(size);
      const int cut = PixelsCut(caption, candidate, ratio);
      if (cut == 0 &&
          QFontMetrics(candidate).boundingRect(caption.box, caption.flags, caption.text).width() <=
              caption.box.width()) {
        return candidate;
      }
      if (cut < fewestCut) {
        fitted = candidate;
        fewestCut = cut;
      }
    }
  }
  return fitted;
}

template <typename Control>
void Fit(Control& control, qreal ratio) {
  const QFont fitted = FittedFont(CaptionOf(control), control.font(), ratio);
  if (fitted != control.font()) {
    control.setFont(fitted);
  }
}

}  // namespace

void FitCaptions(QWidget& window) {
  const qreal ratio = window.devicePixelRatioF();
  for (QLabel* label : window.findChildren<QLabel*>()) {
    Fit(*label, ratio);
  }
  for (QPushButton* button : window.findChildren<QPushButton*>()) {
    Fit(*button, ratio);
  }
}

}  // namespace lettermorph
