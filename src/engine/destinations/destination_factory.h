// The destination a run's output choice names.
#pragma once

#include <memory>

#include "engine/conversion_request.h"
#include "engine/destinations/destination.h"

namespace vandrel {

std::unique_ptr<Destination> MakeDestination(const ConversionRequest& request);

}  // namespace vandrel
