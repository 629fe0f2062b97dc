// Thunderbird's maildir store: a folder is a directory whose cur/ holds one file per message.
// Thunderbird finds the files itself and builds its summary from them; it needs no entry
// anywhere but the folder cache's name for a folder whose directory name is hashed.
#pragma once

#include <string>

#include "engine/destinations/thunderbird/thunderbird_store.h"
#include "engine/writing/maildir_delivery.h"

namespace vandrel {

class ThunderbirdMaildirStore : public ThunderbirdStore {
 public:
  bool MakeEmptyFolder(const std::string& path) override;
  std::string BeginFolder(const std::string& path) override;
  std::string Add(const ConvertedMessage& message) override;
  std::string EndFolder() override { return {}; }
  // The messages were not flushed one by one: the file system is, once.
  std::string Flush(const std::string& path) override;
  // The run's staging folder goes as a whole.
  void Abandon() override {}

 private:
  MaildirDelivery delivery_;
  std::string path_;
};

}  // namespace vandrel
