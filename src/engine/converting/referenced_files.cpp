#include "engine/converting/referenced_files.h"

namespace vandrel {

ReferencedFiles::ReferencedFiles(std::vector<std::string> searchFolders, ExportEncoding* encoding)
    : resolver_(std::move(searchFolders)), encoding_(encoding) {}

void ReferencedFiles::BeginMessage(std::string folder, std::string subject) {
  folder_ = std::move(folder);
  subject_ = std::move(subject);
}

std::string ReferencedFiles::Locate(const std::string& pathAsWritten) {
  std::string local = resolver_.Resolve(pathAsWritten);
  if (local.empty() && encoding_ != nullptr) {
    const std::string converted = encoding_->ToSystemText(pathAsWritten);
    if (converted != pathAsWritten) local = resolver_.Resolve(converted);
  }
  return local;
}

void ReferencedFiles::ReportMissing(const std::string& pathAsWritten) {
  missing_.push_back(
      MissingFile{encoding_ != nullptr ? encoding_->ToSystemText(pathAsWritten) : pathAsWritten,
                  folder_, subject_});
}

}  // namespace vandrel
