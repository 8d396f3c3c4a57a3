// DialogUnits.cpp: dialog-unit scaling from the font's metrics.
#include "app/gui/DialogUnits.h"

#include <QFontMetrics>

namespace {

int Scale(int units, int base, int divisor) { return (units * base + divisor / 2) / divisor; }

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  // The average width of the 52 letters, rounded, as dialog templates measure it.
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  baseX_ = std::max(1, (letters / 26 + 1) / 2);
  baseY_ = std::max(1, metrics.height());
}

QRect DialogUnits::rect(int x, int y, int width, int height) const {
  return QRect(Scale(x, baseX_, 4), Scale(y, baseY_, 8), Scale(width, baseX_, 4),
               Scale(height, baseY_, 8));
}

QRect DialogUnits::rect(const qiva::res::ControlTemplate& control) const {
  return rect(control.x, control.y, control.width, control.height);
}

QSize DialogUnits::size(int width, int height) const {
  return QSize(Scale(width, baseX_, 4), Scale(height, baseY_, 8));
}

QFont DialogFont(const qiva::res::DialogTemplate& dialog) {
  QFont font(QString::fromLatin1(dialog.fontFace), dialog.fontPoints);
  font.setStyleHint(QFont::SansSerif);
  return font;
}
