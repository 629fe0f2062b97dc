#include "engine/referenced_files.h"

namespace vandrel {

ReferencedFiles::ReferencedFiles(std::vector<std::string> searchFolders)
    : resolver_(std::move(searchFolders)) {}

void ReferencedFiles::BeginMessage(std::string folder, std::string subject) {
  folder_ = std::move(folder);
  subject_ = std::move(subject);
}

std::string ReferencedFiles::Locate(const std::string& pathAsWritten) {
  return resolver_.Resolve(pathAsWritten);
}

void ReferencedFiles::ReportMissing(const std::string& pathAsWritten) {
  missing_.push_back(MissingFile{pathAsWritten, folder_, subject_});
}

}  // namespace vandrel
