// The error line's text when a run ends because it was asked to stop, wherever it noticed.
#pragma once

#include <string_view>

#include "texts/texts.h"

namespace vandrel {

inline std::string_view StoppedText() {
  return Tr("conversion stopped.");
}

}  // namespace vandrel
