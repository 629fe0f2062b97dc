#include "cli/account_secrets.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "cli/password_prompt.h"
#include "cli/terminal_text.h"
#include "cli/utf8_console.h"
#include "engine/utf8_path.h"
#include "log/visible_text.h"
#include "settings/journal_folder.h"
#include "texts/texts.h"

namespace vandrel::cli {
namespace {

// A secret file is small; anything larger is not one (and is not read into memory).
constexpr std::uintmax_t kMaxSecretFile = 64 * 1024;

// The first line of `path`, without its end; nothing, with the reason, when it cannot be read.
std::optional<std::string> FirstLine(const std::string& path, std::string& problem,
                                     std::vector<std::string>& warnings) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(Utf8Path(path), error);
  if (!fs::is_regular_file(status)) {
    problem = Format(Tr("%1 is not a file that can be read"), path);
    return std::nullopt;
  }
  if (fs::file_size(Utf8Path(path), error) > kMaxSecretFile) {
    problem = Format(Tr("%1 is too large to hold a password or token"), path);
    return std::nullopt;
  }
#ifndef _WIN32
  const fs::perms others = fs::perms::group_all | fs::perms::others_all;
  if ((status.permissions() & others) != fs::perms::none) {
    warnings.push_back(Format(
        Tr("Warning: others can read %1; it should be readable by you alone (chmod 600 %1)."),
        path));
  }
#else
  (void)warnings;  // a file's readers are its access list there, which this does not judge
#endif
  std::ifstream in(Utf8Path(path), std::ios::binary);
  std::string line;
  if (!in || !std::getline(in, line)) {
    problem = Format(Tr("cannot read %1"), path);
    return std::nullopt;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::optional<std::string> FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::string(value);
}

}  // namespace

bool ReadAccountSecrets(const RequestOptions& options, const std::string& address,
                        AccountAccess& access, std::string& problem,
                        std::vector<std::string>& warnings) {
  access.journalFolder = PathText(RunJournalFolder());
  std::optional<std::string> token;
  if (!options.tokenFile.empty()) {
    token = FirstLine(options.tokenFile, problem, warnings);
    if (!token) return false;
  } else {
    token = FromEnvironment("VANDREL_IMAP_TOKEN");
  }
  if (token) {
    access.token = *token;
    return true;
  }
  std::optional<std::string> password;
  if (!options.passwordFile.empty()) {
    password = FirstLine(options.passwordFile, problem, warnings);
    if (!password) return false;
  } else {
    password = FromEnvironment("VANDREL_IMAP_PASSWORD");
  }
  if (!password) password = ReadPasswordWithoutEcho(Format(Tr("Password for %1: "), address));
  if (!password) {
    problem = Format(Tr("no password for %1: type it when asked on a terminal, or set "
                        "VANDREL_IMAP_PASSWORD, or name a file with --password-file"),
                     address);
    return false;
  }
  access.password = *password;
  return true;
}

bool ReadSecretsFor(const RequestOptions& options, ConversionRequest& request) {
  if (request.output.kind != DestinationKind::kImap) return true;
  std::string problem;
  std::vector<std::string> warnings;
  const bool read =
      ReadAccountSecrets(options, request.output.place, request.access, problem, warnings);
  for (const std::string& warning : warnings)
    WriteText(stderr, TerminalText(warning) + "\n");
  if (!read) WriteText(stderr, Format(Tr("Error: %1"), TerminalText(problem)) + "\n");
  return read;
}

}  // namespace vandrel::cli
