// What a run into a mail account needs that never goes on a command line: the password or
// token (from a file, the environment, or asked for on the terminal), and where reruns are
// remembered.
#pragma once

#include <string>
#include <vector>

#include "cli/request_options.h"
#include "engine/conversion_request.h"

namespace vandrel::cli {

// Fills `access` for a run into the account the request names. False, with the reason, when
// there is no password or token to be had; `warnings` holds what the user should fix (a
// password file others can read).
bool ReadAccountSecrets(const RequestOptions& options, const std::string& address,
                        AccountAccess& access, std::string& problem,
                        std::vector<std::string>& warnings);

// For a request into a mail account: ReadAccountSecrets, its warnings and its error line on
// stderr. True when the run can go on (always for other destinations).
bool ReadSecretsFor(const RequestOptions& options, ConversionRequest& request);

}  // namespace vandrel::cli
