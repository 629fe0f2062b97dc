#include "cli/request_options.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "engine/destinations/imap/imap_account.h"
#include "engine/utf8_path.h"
#include "texts/texts.h"

namespace vandrel::cli {

namespace {

// CLI11's own check takes the name in the system's narrow encoding; this one takes UTF-8.
CLI::Validator ExistingFolder() {
  return CLI::Validator(
      [](std::string& folder) -> std::string {
        std::error_code error;
        const std::filesystem::file_status status =
            std::filesystem::status(Utf8Path(folder), error);
        if (!std::filesystem::exists(status))
          return Format(Tr("Directory does not exist: %1"), folder);
        if (!std::filesystem::is_directory(status))
          return Format(Tr("Directory is actually a file: %1"), folder);
        return {};
      },
      std::string(TrC("command line", "DIR")));
}

// The reader looks for ASCII field names, separator lines and paths byte by byte.
std::string CodePageProblem(const std::string& codePage) {
  switch (ExportEncoding::FitOf(codePage)) {
    case ExportEncoding::Fit::kUsable:
      return {};
    case ExportEncoding::Fit::kUnknown:
      return codePage.empty() ? std::string(Tr("no code page given to --export-codepage"))
                              : Format(Tr("unknown code page: %1"), codePage);
    case ExportEncoding::Fit::kNotAsciiText:
      return Format(Tr("unusable code page: %1 (an export is a text file with ASCII field names, "
                       "and %1 does not write ASCII characters as single ASCII bytes)"),
                    codePage);
  }
  return Format(Tr("unknown code page: %1"), codePage);
}

}  // namespace

void AddRequestOptions(CLI::App& command, RequestOptions& options) {
  command
      .add_option("--attachments-dir", options.attachmentFolders,
                  std::string(Tr(
                      "A folder to search for the HTML bodies and attached files that the export\n"
                      "names by paths that do not exist here; one folder each time, may be\n"
                      "repeated (the export's own folder is searched last)")))
      ->option_text(std::string(TrC("command line", "DIR")))
      ->allow_extra_args(false)
      ->check(ExistingFolder());
  command
      .add_option("--export-codepage", options.exportCodePage,
                  Format(Tr("The code page of the export's text, such as CP1250 (default %1);\n"
                            "folder names and subjects are shown and used in file names in UTF-8"),
                         DefaultExportCodePage()))
      ->option_text("CP");
  command.add_flag("--thunderbird", options.thunderbird,
                   std::string(Tr("Put the folders into a Thunderbird profile, below a new top "
                                  "folder\n\"Calypso\" of Local Folders; Thunderbird must be "
                                  "closed")));
  CLI::Option* maildir =
      command
          .add_option("--maildir", options.maildir,
                      std::string(Tr("Put the folders into a Maildir (made when DIR does not "
                                     "exist), below a\nnew top folder \"Calypso\", as Dovecot, "
                                     "Courier and mutt read it")))
          ->option_text(std::string(TrC("command line", "DIR")));
  maildir->excludes(command.get_option("--thunderbird"));
  CLI::Option* imap =
      command
          .add_option(
              "--imap", options.imap,
              std::string(Tr("Upload the folders into a mail account, below the folder TOP "
                             "(default\n\"Calypso\"); imaps:// is TLS, imap:// is STARTTLS. The "
                             "password is asked\nfor, or taken from VANDREL_IMAP_PASSWORD or "
                             "--password-file")))
          ->option_text(std::string(TrC("command line", "imaps://USER@HOST[:PORT][/TOP]")));
  imap->excludes(command.get_option("--thunderbird"))->excludes(maildir);
  command
      .add_option("--password-file", options.passwordFile,
                  std::string(Tr("With --imap: read the password from the first line of FILE, "
                                 "which only\nyou should be able to read (chmod 600)")))
      ->option_text(std::string(TrC("command line", "FILE")))
      ->needs(imap);
  command
      .add_option("--token-file", options.tokenFile,
                  std::string(Tr("With --imap: sign in with the OAuth 2.0 access token in FILE "
                                 "(or in\nVANDREL_IMAP_TOKEN) instead of a password")))
      ->option_text(std::string(TrC("command line", "FILE")))
      ->needs(imap)
      ->excludes(command.get_option("--password-file"));
  command
      .add_option("--ca-file", options.caFile,
                  std::string(Tr("With --imap: trust the authority in this PEM file too, such as "
                                 "a home\nserver's own certificate")))
      ->option_text(std::string(TrC("command line", "FILE")))
      ->needs(imap);
  command.add_option("PATHS", options.paths)->expected(1, 2);
}

std::vector<PositionalHelp> PathsHelp() {
  return {{std::string(TrC("command line", "INPUT")),
           std::string(Tr("The mailbox file Calypso exported"))},
          {std::string(TrC("command line", "OUTPUT")),
           std::string(Tr("A file name such as out/mail.mbx: one file per Calypso folder, its "
                          "name\nin place of .mbx (out/mailInbox.mbx, out/mailSent_Items.mbx); "
                          "or an\nexisting folder, or a path ending in /: one file per Calypso "
                          "folder in it\n(out/Inbox.mbx). The folder must exist"))},
          {std::string(TrC("command line", "PROFILE_DIR")),
           std::string(Tr("With --thunderbird: the Thunderbird profile to put the folders "
                          "into\n(default: the profile Thunderbird opens)"))}};
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
            ? Tr("INPUT and OUTPUT are required")
            : Tr("INPUT is required");
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
      problem = options.imap.empty() ? Tr("with --maildir only INPUT is given")
                                     : Tr("with --imap only INPUT is given");
      return false;
    }
    request.output = options.imap.empty()
                         ? ConversionOutput{DestinationKind::kMaildir, options.maildir}
                         : ConversionOutput{DestinationKind::kImap, options.imap};
    request.access.caFile = options.caFile;
    if (!options.imap.empty() && !ParseImapAddress(options.imap, problem)) {
      problem = Format(Tr("--imap %1: %2"), options.imap, problem);
      return false;
    }
    request.inputPath = paths[0];
    hasOutput = true;
    return true;
  }
  if (paths.size() != 2 && outputRequired) {
    problem = Tr("OUTPUT is required (or --thunderbird, --maildir DIR or --imap ADDRESS)");
    return false;
  }
  request.inputPath = paths[0];
  hasOutput = paths.size() == 2;
  if (hasOutput) request.output = {DestinationKind::kMboxFiles, paths[1]};
  return true;
}

}  // namespace vandrel::cli
