#include "engine/destinations/counting_destination.h"

#include <utility>

namespace vandrel {

CountingDestination::CountingDestination(std::unique_ptr<Destination> destination)
    : destination_(std::move(destination)) {}

std::string CountingDestination::Inspect() {
  if (destination_ == nullptr) return {};
  problem_ = destination_->Inspect();
  if (!problem_.empty()) destination_.reset();
  return {};
}

bool CountingDestination::FlattensFolders() const {
  return destination_ == nullptr || destination_->FlattensFolders();
}

std::string CountingDestination::Description() const {
  return destination_ != nullptr ? destination_->Description() : std::string();
}

std::string CountingDestination::PlaceOf(const OutputFolder& folder) {
  return destination_ != nullptr ? destination_->PlaceOf(folder) : std::string();
}

std::string CountingDestination::BeginFolder(const OutputFolder& folder) {
  folders_.push_back({folder.name, 0, PlaceOf(folder)});
  return {};
}

std::string CountingDestination::Add(const ConvertedMessage&) {
  ++folders_.back().messages;
  return {};
}

}  // namespace vandrel
