// A message as the converter hands it to a destination: its text, and what a destination needs
// beside the text to store it (a separator line, a file time) and the user to follow it.
#pragma once

#include <optional>
#include <string>

#include "engine/converting/run_findings.h"
#include "engine/converting/separator_line.h"

namespace vandrel {

struct ConvertedMessage {
  // Header and body, every line ended by CR LF, the "Date: " line first. Nothing of any
  // store's framing: no separator line, no quoting, no blank line after it.
  std::string text;
  // The sender's address as a separator line takes it: printable ASCII, "MAILER-DAEMON" when
  // the message has none.
  std::string envelopeSender = "MAILER-DAEMON";
  // The date the export's separator line gave the message, when it has the form it should.
  std::optional<CalypsoDate> exportDate;
  // The value of the message's "Date: " line, as written into the text.
  std::string dateField;
  std::string subject;   // as shown to the user
  RunFindings findings;  // of this message
};

}  // namespace vandrel
