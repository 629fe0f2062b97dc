// Making and removing the folders of a run (a staging folder and the tree in it, a killed run's
// leftovers), whatever the length of their paths: a Calypso tree nests deep, past Windows' short
// path limit, where std::filesystem neither makes nor removes them reliably.
#pragma once

#include <string>

namespace vandrel {

// The file, or the folder with all in it; a link is removed, never followed. Nothing to remove
// is no failure. False when something stays.
bool RemoveTree(const std::string& path);

// One folder, in a folder that exists. True when it is there afterwards, made now or before.
bool MakeFolder(const std::string& path);

}  // namespace vandrel
