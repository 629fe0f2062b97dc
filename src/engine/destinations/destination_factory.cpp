#include "engine/destinations/destination_factory.h"

#include "engine/destinations/imap/imap_destination.h"
#include "engine/destinations/maildir/maildir_destination.h"
#include "engine/destinations/mbox/mbox_files.h"
#include "engine/destinations/thunderbird/thunderbird_folders.h"

namespace vandrel {

std::unique_ptr<Destination> MakeDestination(const ConversionRequest& request) {
  const ConversionOutput& output = request.output;
  switch (output.kind) {
    case DestinationKind::kThunderbird:
      return std::make_unique<ThunderbirdFolders>(output.place);
    case DestinationKind::kMaildir:
      return std::make_unique<MaildirDestination>(output.place);
    case DestinationKind::kImap:
      return std::make_unique<ImapDestination>(output.place, request.access, request.inputPath);
    case DestinationKind::kMboxFiles:
      break;
  }
  return std::make_unique<MboxFiles>(output.place);
}

}  // namespace vandrel
