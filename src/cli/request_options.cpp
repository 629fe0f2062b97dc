#include "cli/request_options.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "engine/destinations/imap/imap_account.h"
#include "engine/utf8_path.h"

namespace vandrel::cli {

namespace {

// CLI11's own check takes the name in the system's narrow encoding; this one takes UTF-8.
CLI::Validator ExistingFolder() {
  return CLI::Validator(
      [](std::string& folder) -> std::string {
        std::error_code error;
        const std::filesystem::file_status status =
            std::filesystem::status(Utf8Path(folder), error);
        if (!std::filesystem::exists(status)) return "Directory does not exist: " + folder;
        if (!std::filesystem::is_directory(status))
          return "Directory is actually a file: " + folder;
        return {};
      },
      "DIR");
}

// The reader looks for ASCII field names, separator lines and paths byte by byte.
std::string CodePageProblem(const std::string& codePage) {
  switch (ExportEncoding::FitOf(codePage)) {
    case ExportEncoding::Fit::kUsable:
      return {};
    case ExportEncoding::Fit::kUnknown:
      return codePage.empty() ? "no code page given to --export-codepage"
                              : "unknown code page: " + codePage;
    case ExportEncoding::Fit::kNotAsciiText:
      return "unusable code page: " + codePage +
             " (an export is a text file with ASCII field names, and " + codePage +
             " does not write ASCII characters as single ASCII bytes)";
  }
  return "unknown code page: " + codePage;
}

}  // namespace

void AddRequestOptions(CLI::App& command, RequestOptions& options) {
  command
      .add_option("--attachments-dir", options.attachmentFolders,
                  "A folder to search for the HTML bodies and attached files that the export\n"
                  "names by paths that do not exist here; one folder each time, may be\n"
                  "repeated (the export's own folder is searched last)")
      ->option_text("DIR")
      ->allow_extra_args(false)
      ->check(ExistingFolder());
  command
      .add_option("--export-codepage", options.exportCodePage,
                  "The code page of the export's text, such as CP1250 (default " +
                      DefaultExportCodePage() +
                      ");\n"
                      "folder names and subjects are shown and used in file names in UTF-8")
      ->option_text("CP");
  command.add_flag("--thunderbird", options.thunderbird,
                   "Put the folders into a Thunderbird profile, below a new top folder\n"
                   "\"Calypso\" of Local Folders; Thunderbird must be closed");
  CLI::Option* maildir =
      command
          .add_option("--maildir", options.maildir,
                      "Put the folders into a Maildir (made when DIR does not exist), below a\n"
                      "new top folder \"Calypso\", as Dovecot, Courier and mutt read it")
          ->option_text("DIR");
  maildir->excludes(command.get_option("--thunderbird"));
  CLI::Option* imap =
      command
          .add_option("--imap", options.imap,
                      "Upload the folders into a mail account, below the folder TOP (default\n"
                      "\"Calypso\"); imaps:// is TLS, imap:// is STARTTLS. The password is asked\n"
                      "for, or taken from VANDREL_IMAP_PASSWORD or --password-file")
          ->option_text("imaps://USER@HOST[:PORT][/TOP]");
  imap->excludes(command.get_option("--thunderbird"))->excludes(maildir);
  command
      .add_option("--password-file", options.passwordFile,
                  "With --imap: read the password from the first line of FILE, which only\n"
                  "you should be able to read (chmod 600)")
      ->option_text("FILE")
      ->needs(imap);
  command
      .add_option("--token-file", options.tokenFile,
                  "With --imap: sign in with the OAuth 2.0 access token in FILE (or in\n"
                  "VANDREL_IMAP_TOKEN) instead of a password")
      ->option_text("FILE")
      ->needs(imap)
      ->excludes(command.get_option("--password-file"));
  command
      .add_option("--ca-file", options.caFile,
                  "With --imap: trust the authority in this PEM file too, such as a home\n"
                  "server's own certificate")
      ->option_text("FILE")
      ->needs(imap);
  command.add_option("PATHS", options.paths)->expected(1, 2);
}

std::vector<PositionalHelp> PathsHelp() {
  return {{"INPUT", "The mailbox file Calypso exported"},
          {"OUTPUT",
           "A file name such as out/mail.mbx: one file per Calypso folder, its name\n"
           "in place of .mbx (out/mailInbox.mbx, out/mailSent_Items.mbx); or an\n"
           "existing folder, or a path ending in /: one file per Calypso folder in it\n"
           "(out/Inbox.mbx). The folder must exist"},
          {"PROFILE_DIR",
           "With --thunderbird: the Thunderbird profile to put the folders into\n"
           "(default: the profile Thunderbird opens)"}};
}

bool ToRequest(const RequestOptions& options, bool outputRequired, ConversionRequest& request,
               bool& hasOutput, std::string& problem) {
  if (std::string why = CodePageProblem(options.exportCodePage); !why.empty()) {
    problem = std::move(why);
    return false;
  }
  request.attachmentFolders = options.attachmentFolders;
  request.exportCodePage = options.exportCodePage;
  const std::vector<std::string>& paths = options.paths;
  if (paths.empty()) {
    problem =
        outputRequired && !options.thunderbird && options.maildir.empty() && options.imap.empty()
            ? "INPUT and OUTPUT are required"
            : "INPUT is required";
    return false;
  }
  if (options.thunderbird) {
    request.output = {DestinationKind::kThunderbird, paths.size() == 2 ? paths[0] : std::string()};
    request.inputPath = paths.back();
    hasOutput = true;
    return true;
  }
  if (!options.maildir.empty() || !options.imap.empty()) {
    if (paths.size() != 1) {
      problem = options.imap.empty() ? "with --maildir only INPUT is given"
                                     : "with --imap only INPUT is given";
      return false;
    }
    request.output = options.imap.empty()
                         ? ConversionOutput{DestinationKind::kMaildir, options.maildir}
                         : ConversionOutput{DestinationKind::kImap, options.imap};
    request.access.caFile = options.caFile;
    if (!options.imap.empty() && !ParseImapAddress(options.imap, problem)) {
      problem = "--imap " + options.imap + ": " + problem;
      return false;
    }
    request.inputPath = paths[0];
    hasOutput = true;
    return true;
  }
  if (paths.size() != 2 && outputRequired) {
    problem = "OUTPUT is required (or --thunderbird, --maildir DIR or --imap ADDRESS)";
    return false;
  }
  request.inputPath = paths[0];
  hasOutput = paths.size() == 2;
  if (hasOutput) request.output = {DestinationKind::kMboxFiles, paths[1]};
  return true;
}

}  // namespace vandrel::cli
