#include "cli/console_output.h"

#include <algorithm>

#include "cli/terminal_text.h"
#include "engine/utf8_text.h"
#include "log/visible_text.h"

namespace vandrel::cli {

namespace {

constexpr std::string_view kLineBreak = "\r\n";
constexpr int kBarWidth = 24;
constexpr std::size_t kStatusWidth = 48;
// Redraws are limited so that a run of many small messages is not slowed by the terminal.
constexpr auto kRedrawInterval = std::chrono::milliseconds(50);

}  // namespace

ConsoleOutput::ConsoleOutput(std::FILE* log, std::FILE* progress, bool showProgress)
    : log_(log), progress_(progress), showProgress_(showProgress) {}

void ConsoleOutput::AppendAndScroll(std::string_view text) {
  empty_ = empty_ && text.empty();
  // The log separates its lines by CR LF; a line is printed once the next one begins.
  for (std::size_t lineBreak; (lineBreak = text.find(kLineBreak)) != std::string_view::npos;) {
    pendingLine_.append(text.substr(0, lineBreak));
    PrintLine(pendingLine_);
    pendingLine_.clear();
    text.remove_prefix(lineBreak + kLineBreak.size());
  }
  pendingLine_.append(text);
}

void ConsoleOutput::PrintLine(const std::string& line) {
  ClearProgress();
  WriteText(log_, TerminalText(line) + "\n");
  Redraw(true);
}

void ConsoleOutput::Finish() {
  if (!empty_) PrintLine(pendingLine_);
  pendingLine_.clear();
  if (showProgress_ && !status_.empty()) {
    // The last state stays on the screen, as in the window: "ready", or how far a failed run
    // came and that it failed.
    Redraw(true);
    std::fputc('\n', progress_);
    std::fflush(progress_);
    progressShown_ = false;
  }
  ClearProgress();
  showProgress_ = false;
}

void ConsoleOutput::SetStatusText(std::string_view text) {
  status_.assign(text);
  Redraw(false);
}

void ConsoleOutput::SetProgressRange(int maximum) {
  maximum_ = std::max(maximum, 0);
  Redraw(false);
}

void ConsoleOutput::SetProgressPosition(int position) {
  position_ = position;
  Redraw(false);
}

void ConsoleOutput::StepProgress() {
  ++position_;
  Redraw(false);
}

void ConsoleOutput::Redraw(bool force) {
  if (!showProgress_) return;
  const auto now = std::chrono::steady_clock::now();
  if (!force && progressShown_ && now - lastDraw_ < kRedrawInterval) return;
  lastDraw_ = now;
  const int filled = maximum_ > 0 ? std::clamp(position_, 0, maximum_) * kBarWidth / maximum_ : 0;
  const std::string bar = std::string(static_cast<std::size_t>(filled), '#') +
                          std::string(static_cast<std::size_t>(kBarWidth - filled), '-');
  // The status may hold a subject: shown as text, and cut where a character begins.
  std::string status = TerminalText(status_);
  CutToLength(status, kStatusWidth);
  WriteText(progress_, "\r\x1b[K[" + bar + "] " + std::to_string(position_) + "/" +
                           std::to_string(maximum_) + " " + status);
  progressShown_ = true;
}

void ConsoleOutput::ClearProgress() {
  if (!progressShown_) return;
  std::fputs("\r\x1b[K", progress_);
  std::fflush(progress_);
  progressShown_ = false;
}

}  // namespace vandrel::cli
