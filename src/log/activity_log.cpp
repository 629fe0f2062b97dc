#include "log/activity_log.h"

#include <cstdio>
#include <string>

#include "texts/texts.h"

namespace vandrel {
namespace {

constexpr std::string_view kLineSeparator = "\r\n";

}  // namespace

void ActivityLog::LogError(std::string_view text) {
  ShowInEdit(Format(Tr("Error: %1"), text), true);
}

void ActivityLog::LogLines(std::string_view text) {
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    LogLine(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

bool ActivityLog::ShowInEdit(std::string_view text, bool newLine) {
  if (view_ == nullptr) {
    ShowUnattached(text);
    return true;
  }
  // One append per call, so a view on another thread is reached once per text.
  std::string addition;
  if (newLine && !view_->IsEmpty()) addition = kLineSeparator;
  addition += text;
  view_->AppendAndScroll(addition);
  return true;
}

void ActivityLog::ShowUnattached(std::string_view text) {
  std::string message(text);
  message += '\n';
  message += Tr("(Maybe you forgot to set the EDIT Control - so here's the message)");
  if (informationBox_ != nullptr) {
    informationBox_->ShowInformation(kApplicationName, message);
    return;
  }
  message += '\n';
  std::fwrite(message.data(), 1, message.size(), stderr);
  std::fflush(stderr);
}

}  // namespace vandrel
