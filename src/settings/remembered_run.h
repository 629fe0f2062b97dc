// What both windows remember between runs: the two paths and where the folders went, under one
// key of the settings store.
#pragma once

#include <string>

#include "engine/destinations/destination_choices.h"

namespace vandrel {

struct RememberedRun {
  std::string inputPath;  // empty when nothing could be read back
  std::string outputPath;
  // The key of a row of kDestinationChoices; always one of them once read back.
  std::string destination = std::string(kDestinationChoices.front().key);
};

RememberedRun LoadRememberedRun();
// Empty paths are stored too, so the next start shows what this one converted with.
void RememberRun(const RememberedRun& run);

}  // namespace vandrel
