#include "engine/converting/referenced_files.h"

namespace vandrel {

ReferencedFiles::ReferencedFiles(std::vector<std::string> searchFolders, ExportEncoding* encoding,
                                 FindingsLog& findings)
    : resolver_(std::move(searchFolders)), encoding_(encoding), findings_(findings) {}

std::string ReferencedFiles::Locate(const std::string& pathAsWritten) {
  std::string local = resolver_.Resolve(pathAsWritten);
  if (local.empty() && encoding_ != nullptr) {
    const std::string converted = encoding_->ToSystemText(pathAsWritten);
    if (converted != pathAsWritten) local = resolver_.Resolve(converted);
  }
  return local;
}

void ReferencedFiles::ReportMissing(const std::string& pathAsWritten) {
  findings_.MissingFile(encoding_ != nullptr ? encoding_->ToSystemText(pathAsWritten)
                                             : pathAsWritten);
}

}  // namespace vandrel
