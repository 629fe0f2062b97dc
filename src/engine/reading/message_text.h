// One exported message: its separator line and every following line up to the next
// separator, each line followed by CR LF.
#pragma once

#include <cstdint>
#include <string>

namespace vandrel {

using MessageText = std::string;

// Where a message lies in the export's text, to be read again when it is converted.
struct MessageSpan {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  bool operator==(const MessageSpan&) const = default;
};

}  // namespace vandrel
