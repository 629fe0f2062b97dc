// Thunderbird's own mail store: one mbox file per folder.
#pragma once

#include <string>

#include "engine/destinations/thunderbird/thunderbird_store.h"
#include "engine/writing/output_file.h"

namespace vandrel {

class ThunderbirdMboxStore : public ThunderbirdStore {
 public:
  bool MakeEmptyFolder(const std::string& path) override;
  std::string BeginFolder(const std::string& path) override;
  std::string Add(const ConvertedMessage& message) override;
  std::string EndFolder() override;
  std::string Flush(const std::string& path) override;
  void Abandon() override { file_.Discard(); }

 private:
  std::string Failed();

  OutputFile file_;
  std::string path_;
};

}  // namespace vandrel
