// What a window asks for when the user picked a destination and typed or chose a place for it.
#pragma once

#include <string>
#include <utility>

#include "engine/destinations/destination_choices.h"

namespace vandrel {

// The output edit's path goes along unless the destination takes no place: then it is empty,
// which means the default Thunderbird profile, whatever the greyed-out edit still shows.
inline ConversionOutput ChosenOutput(const DestinationChoice& choice, std::string editPath) {
  if (choice.place == PlaceKind::kDefaultProfile) editPath.clear();
  return {choice.kind, std::move(editPath)};
}

// Where the choice stands in kDestinationChoices, as the windows' lists show it.
inline int ChoiceIndex(const DestinationChoice& choice) {
  return static_cast<int>(&choice - kDestinationChoices.data());
}

}  // namespace vandrel
