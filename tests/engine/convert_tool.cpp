// Converts every message of an export and writes them as one mbox file on stdout, as the run
// writes them into its mbox files, for the cross-check with Python's email and mailbox packages
// (converter_check.py).
#include <iostream>
#include <string>

#include "engine/converting/message_converter.h"
#include "engine/destinations/mbox/mbox_text.h"
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
  for (const auto& folder : *reader.Folders()) {
    for (const MessageSpan& span : folder.messages) {
      MessageText message;
      if (!reader.ReadMessage(span, message)) {
        std::cerr << reader.ErrorMessage() << "\n";
        return 1;
      }
      WriteMboxMessage(converter.ConvertMessage(std::move(message)), [](std::string_view bytes) {
        std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return true;
      });
    }
  }
  return std::cout.good() ? 0 : 1;
}
