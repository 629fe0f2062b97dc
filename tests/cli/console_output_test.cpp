#include "cli/console_output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "log/activity_log.h"

namespace vandrel::cli {
namespace {

std::string Contents(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string text;
  for (int c; (c = std::fgetc(file)) != EOF;)
    text += static_cast<char>(c);
  return text;
}

class ConsoleOutputTest : public ::testing::Test {
 protected:
  void TearDown() override {
    std::fclose(log_);
    std::fclose(progress_);
  }
  std::FILE* log_ = std::tmpfile();
  std::FILE* progress_ = std::tmpfile();
};

TEST_F(ConsoleOutputTest, EveryLogLineEndsInANewLineAndContinuationsJoinTheirLine) {
  ConsoleOutput console(log_, progress_, false);
  ActivityLog log;
  log.AttachEdit(&console);
  log.LogLine("conversion done.");
  log.LogLine("");
  log.LogLine("3");
  log.LogText(" mails written.", false);
  log.LogError("x");
  console.Finish();
  EXPECT_EQ(Contents(log_), "conversion done.\n\n3 mails written.\nError: x\n");
  EXPECT_EQ(Contents(progress_), "");
}

TEST_F(ConsoleOutputTest, NothingLoggedPrintsNothing) {
  ConsoleOutput console(log_, progress_, false);
  console.Finish();
  EXPECT_EQ(Contents(log_), "");
}

TEST_F(ConsoleOutputTest, TheProgressLineMakesWayForLogLinesAndStaysAtTheEnd) {
  ConsoleOutput console(log_, progress_, true);
  ActivityLog log;
  log.AttachEdit(&console);
  console.SetProgressRange(4);
  console.SetProgressPosition(2);
  console.SetStatusText("exporting (2 of 4)");
  log.LogLine("processing Inbox");
  log.LogLine("next");
  console.SetStatusText("failed: see the log");
  console.Finish();
  const std::string progress = Contents(progress_);
  // Each log line clears the progress line first; the last state stays on a line of its own.
  EXPECT_NE(progress.find("\r\x1b[K[############------------] 2/4 exporting (2 of 4)"),
            std::string::npos)
      << progress;
  EXPECT_TRUE(progress.ends_with("\r\x1b[K[############------------] 2/4 failed: see the log\n"))
      << progress;
  EXPECT_EQ(Contents(log_), "processing Inbox\nnext\n");
}

// A subject is the stranger's text: its controls are shown, not obeyed, and a NUL ends nothing.
TEST_F(ConsoleOutputTest, ControlsInLogLinesAndTheStatusAreShownAndTheTextsStayWhole) {
  using namespace std::string_literals;
  ConsoleOutput console(log_, progress_, true);
  ActivityLog log;
  log.AttachEdit(&console);
  console.SetProgressRange(1);
  console.SetStatusText("exporting (1 of 1): \x1b]0;owned\x07"s + "a\0b\xc2\x9b"s);
  log.LogLine("processing \x1b[2JIn\0box\x9b"s);
  log.LogLine("next");
  console.Finish();
  EXPECT_EQ(Contents(log_), "processing \\x1B[2JIn\\x00box\\x9B\nnext\n");
  const std::string progress = Contents(progress_);
  EXPECT_TRUE(
      progress.ends_with("\r\x1b[K[------------------------] 0/1 exporting (1 of 1): "
                         "\\x1B]0;owned\\x07a\\x00b\\x9B\n"))
      << progress;
}

// The status line keeps to its width, and is cut where a character begins.
TEST_F(ConsoleOutputTest, ALongStatusIsCutBetweenCharacters) {
  ConsoleOutput console(log_, progress_, true);
  console.SetStatusText(std::string(47, 'x') + "\xc3\xbc and more");
  console.Finish();
  const std::string progress = Contents(progress_);
  EXPECT_TRUE(progress.ends_with(" 0/0 " + std::string(47, 'x') + "\n")) << progress;
}

TEST_F(ConsoleOutputTest, WithoutAStatusTheEndLeavesNoProgressLine) {
  ConsoleOutput console(log_, progress_, true);
  console.SetProgressRange(4);
  console.Finish();
  EXPECT_TRUE(Contents(progress_).ends_with("\r\x1b[K")) << Contents(progress_);
}

}  // namespace
}  // namespace vandrel::cli
