// What both windows remember between runs: the two paths and whether the folders went into
// Thunderbird, under one key of the settings store.
#pragma once

#include <string>

namespace vandrel {

struct RememberedRun {
  std::string inputPath;  // empty when nothing could be read back
  std::string outputPath;
  bool intoThunderbird = false;
};

RememberedRun LoadRememberedRun();
// Empty paths are stored too, so the next start shows what this one converted with.
void RememberRun(const RememberedRun& run);

}  // namespace vandrel
