// What a run is asked to do: which export, where its folders go, and how to read it.
#pragma once

#include <string>
#include <vector>

#include "engine/reading/export_encoding.h"

namespace vandrel {

// Where a run's folders go. Each kind is one destination; the windows, the command line and the
// settings pass the choice through as it is.
enum class DestinationKind {
  kMboxFiles,    // one mbox file per folder, named after the place (a file name, or a folder)
  kThunderbird,  // new folders below Local Folders of the profile at the place; empty: the default
  kMaildir,      // new folders in the Maildir at the place
  kImap,         // uploaded into the mail account the place names (imaps://USER@HOST/TOP)
};

struct ConversionOutput {
  DestinationKind kind = DestinationKind::kMboxFiles;
  std::string place;
  bool operator==(const ConversionOutput&) const = default;
};

// What a run into a mail account needs besides its address. The secrets are never stored,
// logged or shown.
struct AccountAccess {
  std::string password;
  std::string token;   // an OAuth 2.0 access token, used instead of the password when given
  std::string caFile;  // one more authority trusted for the server's certificate
  // Where reruns are remembered (the journal and its lock); empty: nothing is remembered and a
  // rerun finds what is there by Message-ID.
  std::string journalFolder;
};

struct ConversionRequest {
  std::string inputPath;
  ConversionOutput output;
  // Searched, in this order and before the export's own folder, for the files the export names
  // by paths that do not exist here.
  std::vector<std::string> attachmentFolders;
  // The code page of the export's text; its folder names and subjects become file names and
  // texts shown in the system's own form.
  std::string exportCodePage = std::string(kDefaultExportCodePage);
  // Threads that convert messages; 0: one per core (a few at most). With 1 the run's own
  // thread does all.
  unsigned threads = 0;
  AccountAccess access = {};  // for a mail account only
};

}  // namespace vandrel
