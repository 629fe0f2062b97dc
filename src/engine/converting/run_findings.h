// What a run found that the user must hear of at its end: files the export names that could
// not be found or read, messages that could not be converted in full, and files named in the
// text of a message.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vandrel {

// Texts in the system's own form (UTF-8 off Windows).
struct MissingFile {
  std::string path;  // as the export wrote it
  std::string folder;
  std::string subject;
};

struct MessageProblem {
  std::string problem;  // "too large to convert", "nested too deep"
  std::string folder;
  std::string subject;
};

struct RunFindings {
  std::vector<MissingFile> missingFiles;
  std::vector<MessageProblem> messageProblems;
  // "X-Attachment: " lines in the text of a message rather than in its header: the files they
  // name were not attached, and the line may be all that is left of a damaged header.
  std::vector<MissingFile> filesNamedInText;
  // Messages the destination could not store (a server refused them): the run fails.
  std::vector<MessageProblem> notStored = {};

  void Add(RunFindings more) {
    Append(missingFiles, more.missingFiles);
    Append(messageProblems, more.messageProblems);
    Append(filesNamedInText, more.filesNamedInText);
    Append(notStored, more.notStored);
  }

 private:
  template <typename Finding>
  static void Append(std::vector<Finding>& to, std::vector<Finding>& more) {
    for (Finding& finding : more)
      to.push_back(std::move(finding));
  }
};

// Files each finding under the message in hand.
class FindingsLog {
 public:
  void BeginMessage(std::string folder, std::string subject) {
    folder_ = std::move(folder);
    subject_ = std::move(subject);
  }
  void MissingFile(std::string path) {
    findings_.missingFiles.push_back({std::move(path), folder_, subject_});
  }
  void FileNamedInText(std::string path) {
    findings_.filesNamedInText.push_back({std::move(path), folder_, subject_});
  }
  void MessageProblem(std::string problem) {
    findings_.messageProblems.push_back({std::move(problem), folder_, subject_});
  }
  const RunFindings& Findings() const { return findings_; }
  // What was found since the last time, which is forgotten.
  RunFindings Take() { return std::exchange(findings_, {}); }

 private:
  std::string folder_;
  std::string subject_;
  RunFindings findings_;
};

}  // namespace vandrel
