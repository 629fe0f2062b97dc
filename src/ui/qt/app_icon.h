// Vandrel's icon, in every size rendered from its SVG at build time.
#pragma once

#include <QIcon>

namespace vandrel {

QIcon AppIcon();

}  // namespace vandrel
