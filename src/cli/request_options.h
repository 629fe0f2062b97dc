// The options that say which export to read and where its folders go, shared by "convert" and
// "check", and the request they make.
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

#include "cli/command_help.h"
#include "engine/conversion_request.h"
#include "engine/reading/export_encoding.h"

namespace vandrel::cli {

struct RequestOptions {
  std::vector<std::string> attachmentFolders;
  std::string exportCodePage = DefaultExportCodePage();
  bool thunderbird = false;
  std::string maildir;             // with --maildir
  std::string imap;                // with --imap: the account's address
  std::string passwordFile;        // the account's password or token, and one more authority
  std::string tokenFile;
  std::string caFile;
  std::vector<std::string> paths;  // INPUT OUTPUT, [PROFILE_DIR] INPUT with --thunderbird, or
                                   // INPUT with --maildir
};

// Declares --attachments-dir, --export-codepage, the destination options and the paths on the
// command.
void AddRequestOptions(CLI::App& command, RequestOptions& options);

// INPUT, OUTPUT and PROFILE_DIR as the help shows them.
std::vector<PositionalHelp> PathsHelp();

// The request the options make; false, with the reason, when they do not fit. Without
// `outputRequired`, INPUT alone is enough; `hasOutput` tells whether an output was named.
bool ToRequest(const RequestOptions& options, bool outputRequired, ConversionRequest& request,
               bool& hasOutput, std::string& problem);

}  // namespace vandrel::cli
