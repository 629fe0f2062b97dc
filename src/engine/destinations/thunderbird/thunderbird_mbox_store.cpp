#include "engine/destinations/thunderbird/thunderbird_mbox_store.h"

#include <cerrno>
#include <fstream>

#include "engine/destinations/mbox/mbox_text.h"
#include "engine/file_error.h"
#include "engine/utf8_path.h"
#include "engine/writing/file_system_sync.h"

namespace vandrel {

namespace {
constexpr std::string_view kTemporaryPrefix = ".vandrel-";
}  // namespace

bool ThunderbirdMboxStore::MakeEmptyFolder(const std::string& path) {
  std::ofstream file(Utf8Path(path), std::ios::binary);
  return file.good();
}

std::string ThunderbirdMboxStore::BeginFolder(const std::string& path) {
  path_ = path;
  return file_.Open(path, std::string(kTemporaryPrefix)) ? std::string() : Failed();
}

std::string ThunderbirdMboxStore::Add(const ConvertedMessage& message) {
  const bool written =
      WriteMboxMessage(message, [this](std::string_view bytes) { return file_.Write(bytes); });
  return written ? std::string() : Failed();
}

// Inside the staging folder a file may take its name before it is on the disk: nothing shows
// until the whole top folder is flushed and moved into place.
std::string ThunderbirdMboxStore::EndFolder() {
  const bool done =
      file_.Close(OutputFile::When::kLater) && file_.PutInPlace(OutputFile::When::kLater);
  return done ? std::string() : Failed();
}

std::string ThunderbirdMboxStore::Flush(const std::string& path) {
  if (SyncFileSystemOf(path)) return {};
  return FileErrorMessageFromErrno(errno, path);
}

// The unfinished file goes before the error is told.
std::string ThunderbirdMboxStore::Failed() {
  const FileErrorCause cause = file_.ErrorCause();
  file_.Discard();
  return FileErrorMessage(cause, path_);
}

}  // namespace vandrel
