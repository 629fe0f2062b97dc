#include "ui/qt/app_icon.h"

namespace vandrel {
namespace {

// The sizes the build renders, from the build files.
constexpr int kIconSizes[] = {VANDREL_ICON_SIZES};

}  // namespace

QIcon AppIcon() {
  QIcon icon;
  for (const int size : kIconSizes) {
    icon.addFile(QStringLiteral(":/icons/vandrel-%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

}  // namespace vandrel
