#include "engine/end_of_run_report.h"

namespace vandrel {

namespace {

template <typename Finding, typename What>
std::string Section(const std::vector<Finding>& findings, const std::string& heading,
                    std::size_t listed, What what) {
  if (findings.empty()) return {};
  std::string text = std::to_string(findings.size()) + heading + "\n";
  for (std::size_t i = 0; i < findings.size() && i < listed; ++i) {
    const Finding& finding = findings[i];
    text += "  " + what(finding) + " (" + finding.folder + ", " + finding.subject + ")\n";
  }
  if (findings.size() > listed) {
    text += "  ... and " + std::to_string(findings.size() - listed) + " more\n";
  }
  return text;
}

}  // namespace

std::string EndOfRunReport(const RunFindings& findings, std::size_t listed) {
  const bool oneFile = findings.missingFiles.size() == 1;
  const bool oneMessage = findings.messageProblems.size() == 1;
  const bool oneInText = findings.filesNamedInText.size() == 1;
  const bool oneNotStored = findings.notStored.size() == 1;
  return Section(findings.missingFiles,
                 oneFile ? " file named in the export was not found or could not be read:"
                         : " files named in the export were not found or could not be read:",
                 listed, [](const MissingFile& file) { return file.path; }) +
         Section(findings.messageProblems,
                 oneMessage ? " message could not be converted in full:"
                            : " messages could not be converted in full:",
                 listed, [](const MessageProblem& message) { return message.problem; }) +
         Section(findings.filesNamedInText,
                 oneInText ? " file is named in the text of a message, not in its header:"
                           : " files are named in the text of messages, not in their header:",
                 listed,
                 [](const MissingFile& file) {
                   return "names a file in its text, not attached: " + file.path;
                 }) +
         // Every one is listed: each is mail the user has to bring over some other way.
         Section(findings.notStored,
                 oneNotStored ? " message was not stored:" : " messages were not stored:",
                 findings.notStored.size(),
                 [](const MessageProblem& message) { return message.problem; });
}

}  // namespace vandrel
