#include "log/activity_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "texts/scoped_language.h"

namespace vandrel {
namespace {

constexpr const char* kHint =
    "\n(Maybe you forgot to set the EDIT Control - so here's the message)";

class FakeLogView : public LogView {
 public:
  explicit FakeLogView(std::string initial = "") : text(std::move(initial)) {}
  bool IsEmpty() const override { return text.empty(); }
  void AppendAndScroll(std::string_view addition) override {
    text += addition;
    ++appends;
  }
  std::string text;
  int appends = 0;
};

class FakeInformationBox : public InformationBox {
 public:
  void ShowInformation(std::string_view title, std::string_view text) override {
    shown.push_back({std::string(title), std::string(text)});
  }
  std::vector<std::pair<std::string, std::string>> shown;
};

enum class Op { kLine, kText, kNewLineText, kError };

struct Call {
  Op op;
  const char* text;
};

void Apply(ActivityLog& log, const Call& call) {
  switch (call.op) {
    case Op::kLine:
      log.LogLine(call.text);
      break;
    case Op::kText:
      log.LogText(call.text, false);
      break;
    case Op::kNewLineText:
      log.LogText(call.text, true);
      break;
    case Op::kError:
      log.LogError(call.text);
      break;
  }
}

TEST(ActivityLogTest, LinesAreSeparatedNotTerminated) {
  const struct {
    const char* initial;
    std::vector<Call> calls;
    const char* expected;
  } cases[] = {
      {"processing Inbox",
       {{Op::kLine, "conversion done."}, {Op::kLine, "2"}, {Op::kText, " mails written."}},
       "processing Inbox\r\nconversion done.\r\n2 mails written."},
      {"", {{Op::kLine, "first"}}, "first"},
      {"", {{Op::kNewLineText, "first"}}, "first"},
      {"", {{Op::kText, "first"}}, "first"},
      {"", {{Op::kText, "a"}, {Op::kText, "b"}, {Op::kLine, "c"}}, "ab\r\nc"},
      {"", {{Op::kError, "x"}}, "Error: x"},
      {"old", {{Op::kError, "x"}}, "old\r\nError: x"},
      {"", {{Op::kLine, ""}}, ""},
      {"", {{Op::kLine, ""}, {Op::kLine, "a"}}, "a"},
      {"old", {{Op::kLine, ""}}, "old\r\n"},
      {"old", {{Op::kLine, ""}, {Op::kLine, ""}}, "old\r\n\r\n"},
      {"run 1", {{Op::kLine, "run 2"}, {Op::kNewLineText, "done"}}, "run 1\r\nrun 2\r\ndone"},
  };
  for (const auto& c : cases) {
    FakeLogView view(c.initial);
    ActivityLog log;
    log.AttachEdit(&view);
    for (const Call& call : c.calls)
      Apply(log, call);
    EXPECT_EQ(view.text, c.expected) << "initial: " << c.initial;
    // Each call reaches the view once, so it scrolls to the last line every time.
    EXPECT_EQ(view.appends, static_cast<int>(c.calls.size())) << "initial: " << c.initial;
  }
}

// A report of several lines: each its own line, none added after the last.
TEST(ActivityLogTest, LogLinesSplitsAtLineFeeds) {
  const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {"2 files not found:\na.jpg\nb.pdf", "done\r\n2 files not found:\r\na.jpg\r\nb.pdf"},
      {"one\n", "done\r\none"},
      {"", "done"},
      {"a\n\nb", "done\r\na\r\n\r\nb"},
  };
  for (const auto& c : cases) {
    FakeLogView view("done");
    ActivityLog log;
    log.AttachEdit(&view);
    log.LogLines(c.text);
    EXPECT_EQ(view.text, c.expected) << c.text;
  }
}

TEST(ActivityLogTest, UnattachedTextsGoToTheInformationBoxOnePerCall) {
  FakeInformationBox box;
  ActivityLog log;
  log.SetInformationBox(&box);
  log.LogLine("one");
  log.LogText("two", false);
  log.LogError("three");
  EXPECT_TRUE(log.ShowInEdit("four", true));
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"Vandrel", std::string("one") + kHint},
      {"Vandrel", std::string("two") + kHint},
      {"Vandrel", std::string("Error: three") + kHint},
      {"Vandrel", std::string("four") + kHint},
  };
  EXPECT_EQ(box.shown, expected);
}

TEST(ActivityLogTest, ANullViewCountsAsUnattached) {
  FakeInformationBox box;
  ActivityLog log;
  log.SetInformationBox(&box);
  log.AttachEdit(nullptr);
  log.LogLine("lost?");
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(box.shown[0].second, std::string("lost?") + kHint);
}

TEST(ActivityLogTest, WithoutViewOrBoxTheTextGoesToStandardError) {
  ActivityLog log;
  testing::internal::CaptureStderr();
  log.LogError("disk on fire");
  log.LogLine("second");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            std::string("Error: disk on fire") + kHint + "\n" + "second" + kHint + "\n");
}

// In German the error line and the hint of an unattached log are German; an error text that
// holds a placeholder of its own stays as it is.
TEST(ActivityLogTest, ErrorsAndTheHintAreGermanInGerman) {
  const ScopedLanguage german(Language::kGerman);
  FakeLogView view("alt");
  ActivityLog log;
  log.AttachEdit(&view);
  log.LogError("%1 und %2");
  EXPECT_EQ(view.text, "alt\r\nFehler: %1 und %2");

  FakeInformationBox box;
  ActivityLog unattached;
  unattached.SetInformationBox(&box);
  unattached.LogError("Platte voll");
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"Vandrel",
       "Fehler: Platte voll\n(Vielleicht wurde das EDIT-Steuerelement nicht gesetzt \xE2\x80\x93 "
       "daher hier die Meldung)"}};
  EXPECT_EQ(box.shown, expected);
}

}  // namespace
}  // namespace vandrel
