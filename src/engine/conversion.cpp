#include "engine/conversion.h"

#include <memory>
#include <utility>

#include "engine/destinations/destination_factory.h"

namespace vandrel {

ConversionResult Convert(const ConversionRequest& request, const RunReport& report,
                         std::stop_token stop) {
  const std::unique_ptr<Destination> destination = MakeDestination(request);
  PipelineResult run =
      RunPipeline(request, *destination, PipelineUse::kConvert, report, std::move(stop));
  return {run.succeeded, run.stopped, std::move(run.findings)};
}

}  // namespace vandrel
