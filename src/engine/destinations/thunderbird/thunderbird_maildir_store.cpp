#include "engine/destinations/thunderbird/thunderbird_maildir_store.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "engine/converting/message_date.h"
#include "engine/file_error.h"
#include "engine/utf8_path.h"
#include "engine/writing/file_system_sync.h"
#include "engine/writing/long_folders.h"
#include "texts/texts.h"

namespace vandrel {

bool ThunderbirdMaildirStore::MakeEmptyFolder(const std::string& path) {
  const auto part = [&path](const char* name) { return PathText(Utf8Path(path) / name); };
  return MakeFolder(path) && MakeFolder(part("cur")) && MakeFolder(part("tmp"));
}

std::string ThunderbirdMaildirStore::BeginFolder(const std::string& path) {
  path_ = path;
  return MakeEmptyFolder(path) ? std::string() : Format(Tr("cannot create the folder %1."), path);
}

// Thunderbird reads CR LF and LF alike; the files keep the CR LF its mbox files have.
std::string ThunderbirdMaildirStore::Add(const ConvertedMessage& message) {
  std::string error;
  if (!delivery_.Deliver(path_, message.text, MessageTime(message), error)) return error;
  return {};
}

std::string ThunderbirdMaildirStore::Flush(const std::string& path) {
  if (SyncFileSystemOf(path)) return {};
  return FileErrorMessageFromErrno(errno, path);
}

}  // namespace vandrel
