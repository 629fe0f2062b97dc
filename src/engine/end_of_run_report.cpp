#include "engine/end_of_run_report.h"

#include <string_view>

#include "texts/texts.h"

namespace vandrel {

namespace {

// The heading, then up to `listed` findings "what (folder, subject)", then how many more.
template <typename Finding, typename What>
std::string Section(const std::vector<Finding>& findings, std::string_view headingPattern,
                    std::size_t listed, What what) {
  if (findings.empty()) return {};
  std::string text = Format(headingPattern, findings.size()) + "\n";
  for (std::size_t i = 0; i < findings.size() && i < listed; ++i) {
    const Finding& finding = findings[i];
    text += "  " + what(finding) + " (" + finding.folder + ", " + finding.subject + ")\n";
  }
  if (findings.size() > listed) {
    text += "  " + Format(Tr("... and %1 more"), findings.size() - listed) + "\n";
  }
  return text;
}

}  // namespace

std::string EndOfRunReport(const RunFindings& findings, std::size_t listed) {
  const std::string_view missingFiles =
      TrN("%1 file named in the export was not found or could not be read:",
          "%1 files named in the export were not found or could not be read:",
          findings.missingFiles.size());
  const std::string_view messageProblems =
      TrN("%1 message could not be converted in full:",
          "%1 messages could not be converted in full:", findings.messageProblems.size());
  const std::string_view filesNamedInText =
      TrN("%1 file is named in the text of a message, not in its header:",
          "%1 files are named in the text of messages, not in their header:",
          findings.filesNamedInText.size());
  const std::string_view notStored =
      TrN("%1 message was not stored:", "%1 messages were not stored:", findings.notStored.size());
  return Section(findings.missingFiles, missingFiles, listed,
                 [](const MissingFile& file) { return file.path; }) +
         Section(findings.messageProblems, messageProblems, listed,
                 [](const MessageProblem& message) { return message.problem; }) +
         Section(findings.filesNamedInText, filesNamedInText, listed,
                 [](const MissingFile& file) {
                   return Format(Tr("names a file in its text, not attached: %1"), file.path);
                 }) +
         // Every one is listed: each is mail the user has to bring over some other way.
         Section(findings.notStored, notStored, findings.notStored.size(),
                 [](const MessageProblem& message) { return message.problem; });
}

}  // namespace vandrel
