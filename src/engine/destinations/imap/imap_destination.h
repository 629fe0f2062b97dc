// Uploads the run's folders into a mail account over IMAP, under a top folder of the account.
#pragma once

#include <string>

#include "engine/conversion_request.h"
#include "engine/destinations/destination.h"

namespace vandrel {

class ImapDestination : public Destination {
 public:
  ImapDestination(std::string address, AccountAccess access);

  std::string Check() override;
  std::string Inspect() override;
  std::string Description() const override { return address_; }
  std::string PlaceOf(const OutputFolder& folder) override;
  std::string BeginFolder(const OutputFolder& folder) override;
  std::string Add(const ConvertedMessage& message) override;
  std::string EndFolder() override;

 private:
  std::string address_;
  AccountAccess access_;
};

}  // namespace vandrel
