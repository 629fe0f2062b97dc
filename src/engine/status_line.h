// The status line as the run writes it: replaced by the job, extended by the converter with the
// subject of the message in hand. Keeps the text so it can be extended without reading it back.
#pragma once

#include <string>
#include <string_view>

#include "engine/status_sink.h"

namespace vandrel {

class StatusLine {
 public:
  explicit StatusLine(StatusSink* sink = nullptr) : sink_(sink) {}

  void Set(std::string text);
  void Append(std::string_view text);
  const std::string& Text() const { return text_; }

 private:
  StatusSink* sink_;
  std::string text_;
};

}  // namespace vandrel
