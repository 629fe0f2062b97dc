// The plain output: one mbox file per folder, named after the output path.
#pragma once

#include <string>
#include <utility>

#include "engine/writing/output_names.h"
#include "engine/writing/output_target.h"

namespace vandrel {

// The output path with every ".mbx" replaced by the cleaned folder name, and ".mbx" appended;
// a name Thunderbird could not open as it is gets the name Thunderbird would give it.
class MbxFiles : public OutputTarget {
 public:
  explicit MbxFiles(std::string outputPath) : outputPath_(std::move(outputPath)) {}
  std::string Description() const override { return outputPath_; }
  std::string FileFor(const std::string& folderName, const std::string& cleanedName) override;

 private:
  std::string outputPath_;
  OutputNames names_;
};

}  // namespace vandrel
