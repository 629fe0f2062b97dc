#include "engine/conversion_job.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "recording_sinks.h"
#include "temp_folder.h"

namespace vandrel {
namespace {

namespace fs = std::filesystem;

std::string Message(const std::string& folder, const std::string& subject,
                    const std::string& extra = {}) {
  return "From ???@??? Mon Jan 01 00:00:00 2001\r\nSubject: " + subject +
         "\r\nX-CalypsoFolder: " + folder + "\r\n" + extra + "\r\nText\r\n";
}

class ConversionJobTest : public ::testing::Test {
 protected:
  ConversionJobTest() {
    log_.AttachEdit(&view_);
    job_.SetLog(&log_);
    job_.SetFinishedCallback([this] {
      // After the run's last report, and with the job no longer running.
      lastTextWhenFinished_ = view_.text;
      runningWhenFinished_ = job_.IsRunning();
      ++finished_;
    });
  }

  ConversionRequest Request(const std::string& exported, const std::string& output = "m.mbx") {
    return {folder_.WriteFile("export.txt", exported),
            ConversionOutput{DestinationKind::kMboxFiles, (folder_.Path() / output).string()},
            {}};
  }

  TempFolder folder_;
  RecordingLogView view_;
  ActivityLog log_;
  ConversionJob job_;
  std::string lastTextWhenFinished_;
  bool runningWhenFinished_ = true;
  std::atomic<int> finished_{0};
};

TEST_F(ConversionJobTest, TheRunningFlagIsSetWhenStartReturnsAndTheEndIsTold) {
  GatedStatus status;  // holds the worker at its first status text
  job_.SetStatusSink(&status);
  EXPECT_FALSE(job_.IsRunning());
  ASSERT_TRUE(job_.Start(Request(Message("Inbox", "one"))));
  EXPECT_TRUE(job_.IsRunning());
  EXPECT_FALSE(job_.Succeeded());
  status.Open();
  job_.Wait();
  EXPECT_FALSE(job_.IsRunning());
  EXPECT_TRUE(job_.Succeeded());
  EXPECT_EQ(finished_.load(), 1);
  EXPECT_FALSE(runningWhenFinished_);
  EXPECT_TRUE(lastTextWhenFinished_.ends_with("1 mails written.")) << lastTextWhenFinished_;
}

// Asked to stop while it reads the export, the run ends before it writes anything.
TEST_F(ConversionJobTest, AStoppedRunEndsSoonAndWritesNothing) {
  GatedStatus status;
  job_.SetStatusSink(&status);
  ASSERT_TRUE(job_.Start(Request(Message("Inbox", "one") + Message("Sent", "two"))));
  job_.RequestStop();
  status.Open();
  job_.Wait();
  EXPECT_FALSE(job_.Succeeded());
  EXPECT_TRUE(view_.text.ends_with("\r\nError: conversion stopped.")) << view_.text;
  EXPECT_EQ(status.texts.back(), "failed: see the log");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_.Path()), fs::directory_iterator()), 1);
  EXPECT_EQ(finished_.load(), 1);
}

TEST_F(ConversionJobTest, EachRunReportsOnlyWhatItFoundItself) {
  const std::string missing = Message("Inbox", "s", "X-Attachment: \"C:\\gone.doc\"; 1 KB\r\n");
  const auto runOn = [this](ConversionRequest request) {
    job_.Start(std::move(request));
    job_.Wait();
    return job_.Findings().missingFiles.size();
  };
  EXPECT_EQ(runOn(Request(missing)), 1u);
  EXPECT_EQ(runOn(Request(missing, "nowhere/m.mbx")), 0u);  // fails before it converts
  EXPECT_EQ(runOn(Request(missing)), 1u);
  EXPECT_EQ(runOn(Request(Message("Inbox", "1"))), 0u);
}

}  // namespace
}  // namespace vandrel
