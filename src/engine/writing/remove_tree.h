// Removing what a run made (a staging folder, a killed run's leftovers), whatever the length of
// the names in it: a Calypso tree nests deep, and Windows' own short limit must not leave half
// of it behind.
#pragma once

#include <string>

namespace vandrel {

// The file, or the folder with all in it; a link is removed, never followed. Nothing to remove
// is no failure. False when something stays.
bool RemoveTree(const std::string& path);

}  // namespace vandrel
