// Converts every message of an export and writes them as one mbox file on stdout, each
// converted message followed by a line end and every LF written as CR LF, for the cross-check
// with Python's email and mailbox packages (converter_check.py).
#include <iostream>
#include <string>

#include "engine/converting/message_converter.h"
#include "engine/reading/mailbox_reader.h"

using namespace vandrel;

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: convert_tool EXPORT SEARCH_FOLDER\n";
    return 2;
  }
  MailboxReader reader;
  if (!reader.LoadMailbox(argv[1])) {
    std::cerr << reader.ErrorMessage() << "\n";
    return 1;
  }
  MessageConverter converter({argv[2]});
  StatusLine status;
  for (const auto& folder : *reader.Folders()) {
    for (const MessageText& message : folder.messages) {
      std::string text = converter.ConvertMessage(message, status) + "\n";
      for (char c : text) {
        if (c == '\n') std::cout << '\r';
        std::cout << c;
      }
    }
  }
  return std::cout.good() ? 0 : 1;
}
