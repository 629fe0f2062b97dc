// The destinations a user can choose, as the windows list them, the settings remember them and
// the command line names them. A new destination is a row here.
#pragma once

#include <array>
#include <string_view>

#include "engine/conversion_request.h"
#include "texts/texts.h"

namespace vandrel {

// What the place of a destination is, so that a window knows what to ask for.
enum class PlaceKind {
  kFileOrFolder,    // a file name pattern, or a folder
  kFolder,          // a folder
  kDefaultProfile,  // nothing to ask: the window uses the default Thunderbird profile
  kMailAccount,     // the window asks for the account in its own small dialog
};

struct DestinationChoice {
  DestinationKind kind;
  std::string_view key;    // in the settings, and the command line's option ("--maildir")
  std::string_view label;  // the window's choice, in English: shown through Tr
  PlaceKind place;
};

inline constexpr std::array<DestinationChoice, 4> kDestinationChoices = {{
    {DestinationKind::kMboxFiles, "mbox", TrNoop("Write mbox files"), PlaceKind::kFileOrFolder},
    {DestinationKind::kThunderbird, "thunderbird", TrNoop("Put into Thunderbird"),
     PlaceKind::kDefaultProfile},
    {DestinationKind::kMaildir, "maildir", TrNoop("Put into a Maildir"), PlaceKind::kFolder},
    {DestinationKind::kImap, "imap", TrNoop("Put into a mail account"), PlaceKind::kMailAccount},
}};

inline const DestinationChoice& ChoiceFor(DestinationKind kind) {
  for (const DestinationChoice& choice : kDestinationChoices) {
    if (choice.kind == kind) return choice;
  }
  return kDestinationChoices.front();
}

// The choice a settings key names; the first (mbox files) for a key it does not know.
inline const DestinationChoice& ChoiceNamed(std::string_view key) {
  for (const DestinationChoice& choice : kDestinationChoices) {
    if (choice.key == key) return choice;
  }
  return kDestinationChoices.front();
}

}  // namespace vandrel
