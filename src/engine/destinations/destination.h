// Where a run's folders and messages go, and how they are stored there. One pipeline reads the
// export, converts its messages and hands them, in export order, to a destination, which owns
// everything about storing them: names, framing, line ends, and putting the run's work in place
// only when it is complete.
//
// A destination is used for one run, in this order: Check (or Inspect for a run that only
// looks), Prepare, then for each folder BeginFolder, Add for each of its messages, EndFolder;
// then Finish, or Abandon after a failure or a stop. Each step returns empty, or the error the
// run ends with.
#pragma once

#include <stop_token>
#include <string>
#include <vector>

#include "engine/converting/converted_message.h"

namespace vandrel {

// A folder of the export, as a destination receives it.
struct OutputFolder {
  std::string name;               // the export's name in the system's form
  std::vector<std::string> path;  // the name split at "\", empty segments dropped
};

class Destination {
 public:
  virtual ~Destination() = default;

  // Before Check: the run's stop, for a destination that waits on something other than its
  // own disk (a server) and must stop waiting.
  virtual void WatchStop(std::stop_token) {}

  // Before the export is read: takes the place for this run alone and makes sure it can take
  // the run.
  virtual std::string Check() = 0;
  // The same checks for a run that only looks: nothing is taken, made or removed.
  virtual std::string Inspect() = 0;
  // After the export was read: makes what the folders go into.
  virtual std::string Prepare() { return {}; }
  // Whether folders whose names differ only in "\\" against "_" share one place, in export
  // order: so it is where a folder is one file named after its whole name. Asked after Check.
  virtual bool FlattensFolders() const { return false; }
  // What the log names as the output.
  virtual std::string Description() const = 0;

  // Claims the folder's place for this run and says where it is (the file or folder, as the
  // user finds it once the run is done). Called once per folder: by BeginFolder, or instead of
  // it in a run that only looks.
  virtual std::string PlaceOf(const OutputFolder& folder) = 0;
  virtual std::string BeginFolder(const OutputFolder& folder) = 0;
  virtual std::string Add(const ConvertedMessage& message) = 0;
  virtual std::string EndFolder() = 0;
  // After each Add: what the user must hear of at the end (messages not stored), once.
  virtual RunFindings TakeFindings() { return {}; }

  // After every folder was written: puts the run's work in place.
  virtual std::string Finish() { return {}; }
  // After Finish: a note for the log, or empty.
  virtual std::string Note() const { return {}; }
  // After a failure or a stop: removes what the run made. Returns what the error line adds
  // about it, or empty. Harmless when called twice.
  virtual std::string Abandon() { return {}; }
};

}  // namespace vandrel
