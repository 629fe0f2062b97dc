// The dialog's parts on real controls: the log box as the log's view, the status line and the
// bar as the status sink, the file dialogs' first folder and filters.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "log/activity_log.h"
#include "platform/utf16_win32.h"
#include "texts/scoped_language.h"
#include "ui/win32/dialog_status_sink_win32.h"
#include "ui/win32/edit_log_view_win32.h"
#include "ui/win32/file_dialog_win32.h"

namespace vandrel {
namespace {

// A control of its own, never shown, destroyed with the test.
class Control {
 public:
  Control(const wchar_t* className, DWORD style) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    window_ = ::CreateWindowExW(0, className, L"", style, 0, 0, 400, 200, nullptr, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
  }
  ~Control() { ::DestroyWindow(window_); }
  HWND Get() const { return window_; }
  std::string Text() const {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window_)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(window_, text.data(), static_cast<int>(text.size()))));
    return platform::Narrow(text);
  }

 private:
  HWND window_;
};

TEST(DialogPartsTest, TheLogBoxGetsTheLinesOfTheLogInEveryScriptAndBeyondTheEditsLimit) {
  Control box(L"EDIT", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL);
  ASSERT_NE(box.Get(), nullptr);
  EditLogView view(box.Get());
  ActivityLog log;
  log.AttachEdit(&view);
  EXPECT_TRUE(view.IsEmpty());
  log.LogLine("processing Entw\xC3\xBCrfe");
  log.LogLine(
      "processing "
      "\xCE\x95\xCE\xB9\xCF\x83\xCE\xB5\xCF\x81\xCF\x87\xCF\x8C\xCE\xBC\xCE\xB5\xCE\xBD\xCE\xB1");
  log.LogLine("2");
  log.LogText(" mails written.", false);
  EXPECT_FALSE(view.IsEmpty());
  const std::string expected =
      "processing Entw\xC3\xBCrfe\r\nprocessing "
      "\xCE\x95\xCE\xB9\xCF\x83\xCE\xB5\xCF\x81\xCF\x87\xCF\x8C\xCE\xBC\xCE\xB5\xCE\xBD\xCE\xB1"
      "\r\n2 mails written.";
  EXPECT_EQ(box.Text(), expected);
  // An edit takes 32,767 characters unless told otherwise; a long run writes more.
  const std::string line(100, 'x');
  for (int i = 0; i < 500; ++i)
    log.LogLine(line);
  EXPECT_EQ(box.Text().size(), expected.size() + 500 * (line.size() + 2));
}

TEST(DialogPartsTest, TheBarStartsEmptyEvenForARunWithoutMessagesAndEndsFull) {
  Control status(L"EDIT", ES_READONLY);
  Control bar(PROGRESS_CLASSW, PBS_SMOOTH);
  DialogStatusSink sink(status.Get(), bar.Get());
  const auto position = [&] { return ::SendMessageW(bar.Get(), PBM_GETPOS, 0, 0); };
  const auto high = [&] { return ::SendMessageW(bar.Get(), PBM_GETRANGE, FALSE, 0); };
  sink.SetProgressRange(0);
  sink.SetProgressPosition(0);
  EXPECT_EQ(position(), 0);
  EXPECT_GT(high(), 0) << "a range of 0 to 0 would not show an empty bar";
  sink.SetProgressRange(3);
  sink.SetProgressPosition(0);
  for (int i = 0; i < 3; ++i)
    sink.StepProgress();
  EXPECT_EQ(position(), 3);
  EXPECT_EQ(high(), 3);
  sink.SetStatusText(
      "exporting (3 of 3) Gr\xC3\xBC\xC3\x9F"
      "e");
  EXPECT_EQ(status.Text(),
            "exporting (3 of 3) Gr\xC3\xBC\xC3\x9F"
            "e");
}

TEST(DialogPartsTest, TheFileDialogsOpenInTheFolderOfThePathShown) {
  const struct {
    const char* shown;
    const char* folder;
  } cases[] = {
      {"C:\\Calypso\\export.txt", "C:\\Calypso"},
      {"C:\\Mail\\Entw\xC3\xBCrfe\\m.mbx", "C:\\Mail\\Entw\xC3\xBCrfe"},
      {"C:\\", "C:"},
      {"export.txt", ""},
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(InitialFolder(c.shown), c.folder) << c.shown;
}

// Each description in the language chosen, with its pattern filled in and the pattern itself
// beside it as the dialog needs it.
TEST(DialogPartsTest, TheFileDialogsFiltersAreInTheLanguageChosen) {
  using namespace std::string_literals;
  const struct {
    Language language;
    FileDialogKind kind;
    std::string filter;
  } cases[] = {
      {Language::kEnglish, FileDialogKind::kOpenMailbox,
       "Mailbox Files (*.txt)\0*.txt\0All Files (*.*)\0*.*\0"s},
      {Language::kEnglish, FileDialogKind::kSaveOutput,
       "Mailbox Files (*.mbx)\0*.mbx\0All Files (*.*)\0*.*\0"s},
      {Language::kGerman, FileDialogKind::kOpenMailbox,
       "Postfachdateien (*.txt)\0*.txt\0Alle Dateien (*.*)\0*.*\0"s},
      {Language::kGerman, FileDialogKind::kSaveOutput,
       "Postfachdateien (*.mbx)\0*.mbx\0Alle Dateien (*.*)\0*.*\0"s},
  };
  for (const auto& c : cases) {
    const ScopedLanguage chosen(c.language);
    EXPECT_EQ(FileDialogFilter(c.kind), platform::Widen(c.filter)) << c.filter;
  }
}

}  // namespace
}  // namespace vandrel
