// What the command line shows of a run: the activity log on stdout, one line per log line; the
// status line and a progress bar on stderr, redrawn in place, only for a terminal.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>

#include "engine/status_sink.h"
#include "log/log_view.h"

namespace vandrel::cli {

class ConsoleOutput : public LogView, public StatusSink {
 public:
  // showProgress: draw the status line and bar on `progress` (a terminal, not quiet).
  ConsoleOutput(std::FILE* log, std::FILE* progress, bool showProgress);

  bool IsEmpty() const override { return empty_; }
  void AppendAndScroll(std::string_view text) override;

  void SetStatusText(std::string_view text) override;
  void SetProgressRange(int maximum) override;
  void SetProgressPosition(int position) override;
  void StepProgress() override;

  // Ends the last log line; the progress display keeps its last state on a line of its own.
  void Finish();

 private:
  void PrintLine(const std::string& line);
  void Redraw(bool force);
  void ClearProgress();

  std::FILE* log_;
  std::FILE* progress_;
  bool showProgress_;
  bool empty_ = true;
  std::string pendingLine_;  // the last log line, which a later text may still continue
  std::string status_;
  int maximum_ = 0;
  int position_ = 0;
  bool progressShown_ = false;
  std::chrono::steady_clock::time_point lastDraw_{};
};

}  // namespace vandrel::cli
