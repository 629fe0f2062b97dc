#include "ui/qt/dialog_units.h"

#include <algorithm>

namespace vandrel {

// The average width is taken over the 52 letters, rounded, as Windows measures a dialog font.
DialogUnits::DialogUnits(const QFontMetrics& metrics)
    : baseX_(std::max(1, (metrics.horizontalAdvance(QStringLiteral(
                              "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                              26 +
                          1) /
                             2)),
      baseY_(std::max(1, metrics.height())) {}

}  // namespace vandrel
