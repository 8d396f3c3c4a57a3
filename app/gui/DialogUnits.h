// DialogUnits.h: turns the layouts' dialog units into pixels for the dialog's font, the way
// dialog templates are scaled: a horizontal unit is a quarter of the font's average character
// width, a vertical unit an eighth of its height.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

#include "res/DialogLayout.h"

class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);

  QRect rect(int x, int y, int width, int height) const;
  QRect rect(const qiva::res::ControlTemplate& control) const;
  QSize size(int width, int height) const;
  int baseX() const { return baseX_; }
  int baseY() const { return baseY_; }

 private:
  int baseX_;
  int baseY_;
};

// The template's font when the system has it, else the closest sans-serif at the same size.
QFont DialogFont(const qiva::res::DialogTemplate& dialog);
