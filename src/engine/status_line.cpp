#include "engine/status_line.h"

namespace vandrel {

void StatusLine::Set(std::string text) {
  text_ = std::move(text);
  if (sink_ != nullptr) sink_->SetStatusText(text_);
}

void StatusLine::Append(std::string_view text) {
  Set(text_ + std::string(text));
}

}  // namespace vandrel
