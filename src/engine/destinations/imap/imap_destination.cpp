#include "engine/destinations/imap/imap_destination.h"

#include <utility>

namespace vandrel {

ImapDestination::ImapDestination(std::string address, AccountAccess access)
    : address_(std::move(address)), access_(std::move(access)) {}

std::string ImapDestination::Check() {
  return "uploading into a mail account is not built yet";
}
std::string ImapDestination::Inspect() {
  return Check();
}
std::string ImapDestination::PlaceOf(const OutputFolder&) {
  return {};
}
std::string ImapDestination::BeginFolder(const OutputFolder&) {
  return Check();
}
std::string ImapDestination::Add(const ConvertedMessage&) {
  return Check();
}
std::string ImapDestination::EndFolder() {
  return {};
}

}  // namespace vandrel
