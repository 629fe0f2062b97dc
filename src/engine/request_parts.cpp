#include "engine/request_parts.h"

#include "engine/utf8_path.h"

namespace vandrel {

std::unique_ptr<ExportEncoding> EncodingFor(const ConversionRequest& request) {
  std::unique_ptr<ExportEncoding> encoding = ExportEncoding::Create(request.exportCodePage);
  return encoding != nullptr ? std::move(encoding) : ExportEncoding::Create();
}

std::vector<std::string> SearchFoldersFor(const ConversionRequest& request) {
  std::vector<std::string> folders = request.attachmentFolders;
  const std::string exportFolder = PathText(Utf8Path(request.inputPath).parent_path());
  folders.push_back(exportFolder.empty() ? std::string(".") : exportFolder);
  return folders;
}

}  // namespace vandrel
