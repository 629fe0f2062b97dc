// The German catalog, compiled from po/de.po when Vandrel is built.
#pragma once

#include <span>

namespace vandrel {

std::span<const unsigned char> GermanCatalogBytes();

}  // namespace vandrel
