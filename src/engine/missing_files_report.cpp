#include "engine/missing_files_report.h"

namespace vandrel {

std::string MissingFilesReport(const std::vector<MissingFile>& missing) {
  if (missing.empty()) return {};
  std::string report =
      std::to_string(missing.size()) +
      (missing.size() == 1 ? " file named in the export was not found or could not be read:\n"
                           : " files named in the export were not found or could not be read:\n");
  for (std::size_t i = 0; i < missing.size() && i < kMissingFilesListed; ++i) {
    report += "  " + missing[i].path + " (" + missing[i].folder + ", " + missing[i].subject + ")\n";
  }
  if (missing.size() > kMissingFilesListed) {
    report += "  ... and " + std::to_string(missing.size() - kMissingFilesListed) + " more\n";
  }
  return report;
}

}  // namespace vandrel
