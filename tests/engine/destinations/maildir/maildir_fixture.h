// What the Maildir tests share: hand-made messages, a run driven step by step, and a picture of
// every file under a folder to compare before and after.
#pragma once

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine/destinations/folder_tree.h"
#include "engine/destinations/maildir/maildir_destination.h"
#include "snapshot.h"
#include "temp_folder.h"

namespace vandrel::test {

inline ConvertedMessage MaildirMessage(const std::string& subject, const std::string& date) {
  ConvertedMessage message;
  message.dateField = date;
  message.subject = subject;
  message.text = "Date: " + date + "\r\nSubject: " + subject + "\r\nMessage-ID: <" + subject +
                 "@example.org>\r\n\r\nbody of " + subject + "\r\n";
  return message;
}

inline OutputFolder Folder(const std::string& name) {
  return {name, FolderPathOf(name)};
}

// The directory names directly in `folder` that start with a dot, sorted.
inline std::vector<std::string> DotFolders(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(".") && entry.is_directory()) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Check, Prepare, and each folder with its messages; the first error, or empty.
inline std::string WriteFolders(
    MaildirDestination& maildir,
    const std::vector<std::pair<std::string, std::vector<ConvertedMessage>>>& folders) {
  if (std::string e = maildir.Check(); !e.empty()) return e;
  if (std::string e = maildir.Prepare(); !e.empty()) return e;
  for (const auto& [name, messages] : folders) {
    if (std::string e = maildir.BeginFolder(Folder(name)); !e.empty()) return e;
    for (const ConvertedMessage& message : messages) {
      if (std::string e = maildir.Add(message); !e.empty()) return e;
    }
    if (std::string e = maildir.EndFolder(); !e.empty()) return e;
  }
  return {};
}

}  // namespace vandrel::test
