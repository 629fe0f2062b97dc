// What a run found that the user must hear of at its end: files the export names that could
// not be found or read, and messages that could not be converted in full.
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

  void Add(RunFindings more) {
    for (MissingFile& file : more.missingFiles)
      missingFiles.push_back(std::move(file));
    for (MessageProblem& problem : more.messageProblems) {
      messageProblems.push_back(std::move(problem));
    }
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
