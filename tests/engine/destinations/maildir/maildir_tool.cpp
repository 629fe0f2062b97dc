// Writes a Maildir through MaildirDestination from a few hand-made messages, for the check in
// the real Dovecot, and prints what it wrote: per message a line of folder name, Message-ID,
// Subject and Date, apart by tabs.
#include <iostream>
#include <string>
#include <vector>

#include "engine/destinations/folder_tree.h"
#include "engine/destinations/maildir/maildir_destination.h"

namespace {

using vandrel::ConvertedMessage;

struct Folder {
  std::string name;  // as the export names it
  std::vector<std::string> dates;
};

ConvertedMessage Message(const std::string& id, const std::string& date) {
  ConvertedMessage message;
  message.dateField = date;
  message.subject = "Subject " + id;
  message.text = "Date: " + date + "\r\nFrom: anna@example.org\r\nSubject: " + message.subject +
                 "\r\nMessage-ID: <" + id + "@example.org>\r\n\r\nText of " + id + ".\r\n";
  return message;
}

std::string Run(vandrel::MaildirDestination& maildir, const std::vector<Folder>& folders) {
  if (std::string e = maildir.Check(); !e.empty()) return e;
  if (std::string e = maildir.Prepare(); !e.empty()) return e;
  int count = 0;
  for (const Folder& folder : folders) {
    if (std::string e = maildir.BeginFolder({folder.name, vandrel::FolderPathOf(folder.name)});
        !e.empty())
      return e;
    for (const std::string& date : folder.dates) {
      const std::string id = "m" + std::to_string(++count);
      if (std::string e = maildir.Add(Message(id, date)); !e.empty()) return e;
      std::cout << folder.name << '\t' << id << "@example.org\tSubject " << id << '\t' << date
                << '\n';
    }
    if (std::string e = maildir.EndFolder(); !e.empty()) return e;
  }
  return maildir.Finish();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: maildir_tool MAILDIR\n";
    return 2;
  }
  const std::string jan = "Thu, 15 Jan 2004 08:30:00 +0100";
  const std::vector<Folder> folders = {
      {"Inbox", {"Mon, 01 Mar 2004 19:42:10 +0100", jan}},
      {"Family\\Holidays", {"1 Aug 99 12:00 PDT"}},
      {"Family\\Dr. Smith", {jan}},
      {"Archive\\2003\\Q4", {"Wed, 31 Dec 2003 23:59:59 -0000"}},
      {"a/b", {jan}},
      {"Tom & Jerry ~", {jan}},
      {"~home", {jan}},
      {"\xC3\x84rger", {jan}},
      {"Entw\xC3\xBC"
       "rfe\\\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E",
       {jan}},
      {std::string(150, 'L') + "\xC3\xA4" + std::string(150, 'L'), {jan}},
      {"inbox", {jan}},
  };
  vandrel::MaildirDestination maildir(argv[1]);
  if (const std::string error = Run(maildir, folders); !error.empty()) {
    std::cerr << "Error: " << error << maildir.Abandon() << '\n';
    return 1;
  }
  return 0;
}
