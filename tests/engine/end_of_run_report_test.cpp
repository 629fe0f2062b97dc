#include "engine/end_of_run_report.h"

#include <gtest/gtest.h>

#include "texts/scoped_language.h"

namespace vandrel {
namespace {

TEST(EndOfRunReportTest, CountsListsUpToTwentyAndSaysHowManyMore) {
  EXPECT_EQ(EndOfRunReport({}), "");
  EXPECT_EQ(EndOfRunReport({{{"C:\\a\\x.jpg", "Inbox", "Hi"}}, {}, {}}),
            "1 file named in the export was not found or could not be read:\n  C:\\a\\x.jpg "
            "(Inbox, Hi)\n");
  RunFindings many;
  for (int i = 0; i < 23; ++i)
    many.missingFiles.push_back({"f" + std::to_string(i), "Sent", "s"});
  const std::string report = EndOfRunReport(many);
  EXPECT_TRUE(report.starts_with(
      "23 files named in the export were not found or could not be read:\n  f0 (Sent, s)\n"));
  EXPECT_NE(report.find("  f19 (Sent, s)\n  ... and 3 more\n"), std::string::npos) << report;
  EXPECT_EQ(report.find("f20"), std::string::npos);
}

TEST(EndOfRunReportTest, MessagesFollowTheFilesAndFilesNamedInTextComeLast) {
  const RunFindings findings{
      {{"x.jpg", "Inbox", "Hi"}},
      {{"too large to convert", "Inbox", "Big"}, {"nested too deep", "Sent", "Deep"}},
      {{"/etc/hostname", "Inbox", "Hi"}}};
  EXPECT_EQ(EndOfRunReport(findings),
            "1 file named in the export was not found or could not be read:\n"
            "  x.jpg (Inbox, Hi)\n"
            "2 messages could not be converted in full:\n"
            "  too large to convert (Inbox, Big)\n"
            "  nested too deep (Sent, Deep)\n"
            "1 file is named in the text of a message, not in its header:\n"
            "  names a file in its text, not attached: /etc/hostname (Inbox, Hi)\n");
  EXPECT_EQ(EndOfRunReport({{}, {{"nested too deep", "A", "s"}}, {}}),
            "1 message could not be converted in full:\n  nested too deep (A, s)\n");
}

// Each message not stored is mail the user must bring over another way: none is left unnamed.
TEST(EndOfRunReportTest, ListsEveryMessageNotStoredLast) {
  RunFindings findings;
  findings.missingFiles.push_back({"x.jpg", "Inbox", "Hi"});
  for (int i = 0; i < 25; ++i)
    findings.notStored.push_back(
        {"the server refused it: [OVERQUOTA] full", "Calypso/Inbox", "s" + std::to_string(i)});
  const std::string report = EndOfRunReport(findings);
  EXPECT_TRUE(report.starts_with("1 file named in the export")) << report;
  const std::size_t heading = report.find("25 messages were not stored:\n");
  ASSERT_NE(heading, std::string::npos) << report;
  EXPECT_NE(report.find("  the server refused it: [OVERQUOTA] full (Calypso/Inbox, s24)\n"),
            std::string::npos);
  EXPECT_EQ(report.find("more"), std::string::npos);
  findings = {};
  findings.notStored.push_back({"larger than the server takes", "A", "s"});
  EXPECT_EQ(EndOfRunReport(findings),
            "1 message was not stored:\n  larger than the server takes (A, s)\n");
}

// In German each heading takes the form its own count asks for, with the count in its place.
TEST(EndOfRunReportTest, GermanHeadingsTakeTheFormOfTheirOwnCount) {
  const MissingFile x{"x.jpg", "Inbox", "Hi"};
  const MissingFile t{"c.txt", "B", "u"};
  const MessageProblem p{"p", "A", "s"};
  const MessageProblem r{"r", "C", "v"};
  const struct {
    RunFindings findings;
    std::string expected;
  } cases[] = {
      {{{x}, {p, p}, {t}, {r, r}},
       "1 im Export genannte Datei wurde nicht gefunden oder konnte nicht gelesen werden:\n"
       "  x.jpg (Inbox, Hi)\n"
       "2 Nachrichten konnten nicht vollst\xC3\xA4ndig konvertiert werden:\n"
       "  p (A, s)\n"
       "  ... und 1 weitere\n"
       "1 Datei wird im Text einer Nachricht genannt, nicht in ihren Kopfzeilen:\n"
       "  nennt in ihrem Text eine nicht angeh\xC3\xA4ngte Datei: c.txt (B, u)\n"
       "2 Nachrichten wurden nicht gespeichert:\n"
       "  r (C, v)\n"
       "  r (C, v)\n"},
      {{{x, x, x}, {p}, {t, t}, {r}},
       "3 im Export genannte Dateien wurden nicht gefunden oder konnten nicht gelesen werden:\n"
       "  x.jpg (Inbox, Hi)\n"
       "  ... und 2 weitere\n"
       "1 Nachricht konnte nicht vollst\xC3\xA4ndig konvertiert werden:\n"
       "  p (A, s)\n"
       "2 Dateien werden im Text von Nachrichten genannt, nicht in deren Kopfzeilen:\n"
       "  nennt in ihrem Text eine nicht angeh\xC3\xA4ngte Datei: c.txt (B, u)\n"
       "  ... und 1 weitere\n"
       "1 Nachricht wurde nicht gespeichert:\n"
       "  r (C, v)\n"},
  };
  const ScopedLanguage german(Language::kGerman);
  for (const auto& c : cases)
    EXPECT_EQ(EndOfRunReport(c.findings, 1), c.expected);
}

}  // namespace
}  // namespace vandrel
