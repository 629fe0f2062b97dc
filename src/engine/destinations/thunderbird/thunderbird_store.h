// How one folder of Local Folders lies on the disk, which the account's mail store decides: an
// mbox file, or a maildir directory. Folders in a folder go into "<name>.sbd" either way.
#pragma once

#include <memory>
#include <string>

#include "engine/converting/converted_message.h"

namespace vandrel {

class ThunderbirdStore {
 public:
  virtual ~ThunderbirdStore() = default;

  // A folder without messages, so that Thunderbird shows it and the folders in it.
  virtual bool MakeEmptyFolder(const std::string& path) = 0;
  // Each returns empty, or the error the run ends with.
  virtual std::string BeginFolder(const std::string& path) = 0;
  virtual std::string Add(const ConvertedMessage& message) = 0;
  virtual std::string EndFolder() = 0;
  // Once every folder is written: what was written is put on the disk, if not yet.
  virtual std::string Flush(const std::string& path) = 0;
  // Drops the folder being written.
  virtual void Abandon() = 0;
};

// The store Local Folders use, as the account's storeContractID names it; null for one that is
// not known.
std::unique_ptr<ThunderbirdStore> MakeThunderbirdStore(const std::string& contractId);

}  // namespace vandrel
