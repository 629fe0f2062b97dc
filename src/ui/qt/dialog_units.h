// Sizes in dialog units, the measure the window's layout is drawn in: a quarter of the font's
// average character width across, an eighth of its height down. The window so grows with its
// font and with the screen's scale.
#pragma once

#include <QFontMetrics>

namespace vandrel {

class DialogUnits {
 public:
  explicit DialogUnits(const QFontMetrics& metrics);

  int X(int units) const { return (units * baseX_ + 2) / 4; }
  int Y(int units) const { return (units * baseY_ + 4) / 8; }

 private:
  int baseX_;
  int baseY_;
};

}  // namespace vandrel
