// The progress and error lines of a conversion, shown in the dialog's log box.
#pragma once

#include <string_view>

#include "log/information_box.h"
#include "log/log_view.h"

namespace vandrel {

inline constexpr std::string_view kApplicationName = "Vandrel";

// Lines are separated, not terminated, by CR LF: the first text starts without a break.
// Called from the worker thread only and holds no lock; the view marshals to its own thread.
class ActivityLog {
 public:
  ActivityLog() = default;
  virtual ~ActivityLog() = default;
  ActivityLog(const ActivityLog&) = delete;
  ActivityLog& operator=(const ActivityLog&) = delete;

  // A null view leaves the log unattached.
  void AttachEdit(LogView* view) { view_ = view; }
  // Where texts go while no view is attached; without one they go to stderr.
  void SetInformationBox(InformationBox* box) { informationBox_ = box; }

  void LogLine(std::string_view text) { ShowInEdit(text, true); }
  // With newLine false the text continues the last line.
  void LogText(std::string_view text, bool newLine) { ShowInEdit(text, newLine); }
  void LogError(std::string_view text);
  // Each line of a text of several, split at LF, as a line of its own.
  void LogLines(std::string_view text);

  // Always true: a text that cannot reach the view is shown another way, never dropped.
  bool ShowInEdit(std::string_view text, bool newLine);

 private:
  void ShowUnattached(std::string_view text);

  LogView* view_ = nullptr;
  InformationBox* informationBox_ = nullptr;
};

}  // namespace vandrel
