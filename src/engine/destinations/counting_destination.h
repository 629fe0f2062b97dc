// What a run that only looks hands its folders to: it names each folder's place as the real
// destination would and counts its messages, and stores nothing. So a look and a conversion can
// never disagree about folders, names or counts.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "engine/destinations/destination.h"

namespace vandrel {

struct FolderPlan {
  std::string name;  // in the system's form
  std::size_t messages = 0;
  std::string place;  // where a run would put it; empty without a destination to ask
};

class CountingDestination : public Destination {
 public:
  // Without a destination (or when it finds a problem) the folders get no place.
  explicit CountingDestination(std::unique_ptr<Destination> destination);

  // Only looks: the problem the real destination finds is kept, and the look goes on.
  std::string Check() override { return Inspect(); }
  std::string Inspect() override;
  // Without a destination to ask, the folders are shown as the mbox files take them.
  bool FlattensFolders() const override;
  std::string Description() const override;
  std::string PlaceOf(const OutputFolder& folder) override;
  std::string BeginFolder(const OutputFolder& folder) override;
  std::string Add(const ConvertedMessage& message) override;
  std::string EndFolder() override { return {}; }

  // What the real destination would refuse the run with; empty when nothing.
  const std::string& Problem() const { return problem_; }
  const std::vector<FolderPlan>& Folders() const { return folders_; }

 private:
  std::unique_ptr<Destination> destination_;
  std::string problem_;
  std::vector<FolderPlan> folders_;
};

}  // namespace vandrel
