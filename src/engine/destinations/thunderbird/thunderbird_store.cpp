#include "engine/destinations/thunderbird/thunderbird_store.h"

#include <string_view>

#include "engine/destinations/thunderbird/thunderbird_maildir_store.h"
#include "engine/destinations/thunderbird/thunderbird_mbox_store.h"

namespace vandrel {

namespace {
constexpr std::string_view kMboxStore = "@mozilla.org/msgstore/berkeleystore;1";
constexpr std::string_view kMaildirStore = "@mozilla.org/msgstore/maildirstore;1";
}  // namespace

std::unique_ptr<ThunderbirdStore> MakeThunderbirdStore(const std::string& contractId) {
  if (contractId.empty() || contractId == kMboxStore) {
    return std::make_unique<ThunderbirdMboxStore>();
  }
  if (contractId == kMaildirStore) return std::make_unique<ThunderbirdMaildirStore>();
  return nullptr;
}

}  // namespace vandrel
