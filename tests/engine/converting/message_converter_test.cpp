#include "engine/converting/message_converter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>

#include "engine/converting/header_charset.h"
#include "temp_folder.h"
#include "texts/scoped_language.h"

namespace vandrel {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

const fs::path kGoldenDir = VANDREL_GOLDEN_DIR;

// Generated boundaries hold the time and a random number.
std::string WithoutBoundaryDigits(const std::string& text) {
  static const std::regex boundary("__=_Part_Boundary_\\d{3}_\\d{6}\\.\\d{6}");
  return std::regex_replace(text, boundary, "__=_Part_Boundary_NNN_NNNNNN.NNNNNN");
}

// Expected texts are written with LF; what goes into the mbox file has CR LF.
std::string Crlf(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

class MessageConverterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy(kGoldenDir / "files", files_.Path(), fs::copy_options::recursive);
    // A name in the export's code page, as Windows left it on disk.
    files_.WriteFile(
        "Attach/Bericht \xFC"
        "ber 2003.pdf",
        "%PDF-1.4\n%%EOF\n");
    // The same name as Windows itself spells it, found once the name is converted.
    files_.WriteFile(
        "Attach/Bericht \xC3\xBC"
        "ber 2003.pdf",
        "%PDF-1.4\n%%EOF\n");
  }

  ConvertedMessage ConvertWhole(const std::string& exported) {
    return converter_.ConvertMessage(exported);
  }
  std::string Convert(const std::string& exported) { return ConvertWhole(exported).text; }

  TempFolder files_;
  std::unique_ptr<ExportEncoding> encoding_ = ExportEncoding::Create("CP1252");
  MessageConverter converter_{{files_.Path().string()}, encoding_.get()};
};

// Whole converted messages, compared with the files kept beside the test. Set
// VANDREL_UPDATE_GOLDEN=1 to write them anew, then read every change before keeping it.
TEST_F(MessageConverterTest, ConvertedMessagesMatchTheirGoldenFiles) {
  const bool update = std::getenv("VANDREL_UPDATE_GOLDEN") != nullptr;
  for (const char* name :
       {"plain_text", "files_on_disk", "multipart_source", "header_injection", "empty_message"}) {
    const std::string converted =
        WithoutBoundaryDigits(Convert(ReadBytes(kGoldenDir / (std::string(name) + ".eml"))));
    const fs::path golden = kGoldenDir / (std::string(name) + ".converted");
    if (update) std::ofstream(golden, std::ios::binary) << converted;
    EXPECT_EQ(converted, ReadBytes(golden)) << name;
  }
}

TEST_F(MessageConverterTest, TheSubjectIsShownInTheSystemsForm) {
  EXPECT_EQ(ConvertWhole("From ???@???\r\nSubject: Hello\r\n\r\n").subject, "Hello");
  EXPECT_EQ(ConvertWhole("From ???@???\r\nSubject: Gr\xFC\xDF\r\n\r\n").subject,
            "Gr\xC3\xBC\xC3\x9F");
  EXPECT_EQ(ConvertWhole("From ???@???\r\n\r\n").subject, "");
  // A folded subject is shown on one line; the file keeps its fold.
  const ConvertedMessage folded =
      ConvertWhole("From ???@???\r\nSubject: Long\r\n  folded\r\n\tsubject\r\n\r\n");
  EXPECT_EQ(folded.subject, "Long folded subject");
  EXPECT_NE(folded.text.find("Subject: Long\r\n  folded\r\n\tsubject\r\n"), std::string::npos);
  // A subject of megabytes would flood the status line and the report; the file keeps it all.
  const ConvertedMessage long_ =
      ConvertWhole("From ???@???\r\nSubject: " + std::string(1500, 's') + "\r\n\r\n");
  EXPECT_EQ(long_.subject, std::string(1000, 's') + "...");
  EXPECT_NE(long_.text.find("Subject: " + std::string(1500, 's') + "\r\n"), std::string::npos);
}

// Each message brings its own findings, and only its own.
TEST_F(MessageConverterTest, FilesThatCannotBeFoundOrReadAreReported) {
  const RunFindings first = ConvertWhole(ReadBytes(kGoldenDir / "files_on_disk.eml")).findings;
  ASSERT_EQ(first.missingFiles.size(), 1u);
  EXPECT_EQ(first.missingFiles[0].path, "C:\\Calypso\\Attach\\missing.zip");
  EXPECT_EQ(first.missingFiles[0].folder, "Sent Items");
  EXPECT_EQ(first.missingFiles[0].subject, "Urlaubsfotos");
  fs::create_directories(files_.Path() / "Html" / "folder.htm");
  const RunFindings second = ConvertWhole(
                                 "From ???@???\r\nSubject: Second\r\nX-CalypsoFolder: Archiv\r\n"
                                 "X-CalypsoHtmlBody: \"C:\\Calypso\\Html\\folder.htm\";\r\n"
                                 "X-Attachment: \"C:\\Calypso\\Attach\\gone.gif\";\r\n\r\n")
                                 .findings;
  ASSERT_EQ(second.missingFiles.size(), 2u);
  EXPECT_EQ(second.missingFiles[0].path, "C:\\Calypso\\Html\\folder.htm");
  EXPECT_EQ(second.missingFiles[1].path, "C:\\Calypso\\Attach\\gone.gif");
  EXPECT_EQ(second.missingFiles[1].folder, "Archiv");
  EXPECT_TRUE(ConvertWhole("From ???@???\r\n\r\n").findings.missingFiles.empty());
}

// The header block of a converted message.
std::string HeaderOf(const std::string& converted) {
  return converted.substr(0, converted.find("\r\n\r\n") + 2);
}

TEST_F(MessageConverterTest, ReplyAndThreadFieldsFollowTheFixedHeader) {
  const struct {
    std::string fields;
    std::string expectedTail;
  } cases[] = {
      {"", "X-Envelope-To: \n"},
      {"References: <a@x> <b@x>\r\nReply-To: \"Club\" <club@example.org>\r\n"
       "In-Reply-To: <b@x>\r\n",
       "X-Envelope-To: \nReply-To: \"Club\" <club@example.org>\nIn-Reply-To: <b@x>\n"
       "References: <a@x> <b@x>\n"},
      // Present but empty is kept; a fold stays a fold.
      {"In-Reply-To:\r\nReferences: <a@x>\r\n <b@x>\r\n",
       "X-Envelope-To: \nIn-Reply-To: \nReferences: <a@x>\n <b@x>\n"},
  };
  for (const auto& c : cases) {
    const std::string header =
        HeaderOf(Convert("From ???@???\r\nSubject: s\r\n" + c.fields + "\r\nbody\r\n"));
    EXPECT_TRUE(header.ends_with(Crlf(c.expectedTail))) << header;
  }
}

// A store's separator line or file time needs the sender's address and the date the export
// gave; the text itself starts with the date line, with no separator line of any store.
TEST_F(MessageConverterTest, TheEnvelopeIsTheSendersAddressAndTheExportsDate) {
  const ConvertedMessage folded = ConvertWhole(
      "From ???@??? Mon Mar 01 19:42:10 2004\r\nFrom: \"Berger,\r\n Anna\" <anna@\r\n\texample.org>"
      "\r\nSubject: s\r\n\r\nbody\r\n");
  EXPECT_EQ(folded.envelopeSender, "MAILER-DAEMON");
  ASSERT_TRUE(folded.exportDate.has_value());
  EXPECT_EQ(AsctimeText(*folded.exportDate), "Mon Mar  1 19:42:10 2004");
  EXPECT_EQ(folded.dateField, "Mon, 01 Mar 2004 19:42:10 -0000");
  EXPECT_TRUE(folded.text.starts_with(Crlf("Date: Mon, 01 Mar 2004 19:42:10 -0000\n")))
      << folded.text;
  EXPECT_NE(folded.text.find(Crlf("\nX-Envelope-From: <anna@ example.org>\n")), std::string::npos)
      << folded.text;
  const ConvertedMessage plain = ConvertWhole(
      "From ???@??? Tue Dec 02 11:00:00 2003\r\nFrom: \"Doe, John\" <jd@example.com>\r\n"
      "Date: Tue, 2 Dec 2003 12:00:00 +0100\r\n\r\nFrom here on\r\n");
  EXPECT_EQ(plain.envelopeSender, "jd@example.com");
  EXPECT_EQ(plain.dateField, "Tue, 2 Dec 2003 12:00:00 +0100");
  // Quoting "From " lines is the business of the stores that need it.
  EXPECT_NE(plain.text.find("\r\nFrom here on\r\n"), std::string::npos) << plain.text;
  EXPECT_FALSE(ConvertWhole("From ???@???\r\n\r\n").exportDate.has_value());
}

// Without a date of its own a message would show the time of the import; the separator line
// has the date, written with a zone that is not known.
TEST_F(MessageConverterTest, AMessageWithoutADateGetsTheSeparatorLinesDate) {
  const struct {
    const char* separator;
    const char* dateField;
    const char* dateLine;
  } cases[] = {
      {"From ???@??? Mon Mar 01 19:42:10 2004", "", "Date: Mon, 01 Mar 2004 19:42:10 -0000"},
      {"From ???@??? Tue Dec 24 00:00:00 2003", "Date: \r\n",
       "Date: Tue, 24 Dec 2003 00:00:00 -0000"},
      {"From ???@???  Sat  Jan  5 23:59:59 1999", "Date:   \r\n",
       "Date: Sat, 05 Jan 1999 23:59:59 -0000"},
      {"From ???@??? Mon Mar 01 19:42:10 2004", "Date: Tue, 2 Mar 2004 08:00:00 +0100\r\n",
       "Date: Tue, 2 Mar 2004 08:00:00 +0100"},
      {"From ???@???", "", "Date: "},
      {"From ???@??? Mon, 01 Mar 2004 19:42:10", "", "Date: "},
  };
  for (const auto& c : cases) {
    const std::string converted =
        Convert(std::string(c.separator) + "\r\nSubject: s\r\n" + c.dateField + "\r\nbody\r\n");
    EXPECT_EQ(converted.substr(0, converted.find("\r\n")), c.dateLine)
        << c.separator << " / " << c.dateField;
  }
}

// The run makes the boundaries in export order while several threads convert.
TEST_F(MessageConverterTest, TheGivenBoundarySeparatesTheParts) {
  const std::string converted =
      converter_.ConvertMessage("From ???@???\r\nSubject: s\r\n\r\ntext\r\n", "given-7").text;
  EXPECT_NE(converted.find("boundary=\"given-7\""), std::string::npos) << converted;
  EXPECT_NE(converted.find("\r\n--given-7\r\n"), std::string::npos) << converted;
  EXPECT_NE(converted.find("\r\n--given-7--\r\n"), std::string::npos) << converted;
}

TEST_F(MessageConverterTest, NulBytesOfTheTextAreKept) {
  const std::string converted = Convert("From ???@???\r\nSubject: s\r\n\r\nbefore\0after\r\n"s);
  EXPECT_NE(converted.find("before=00after"), std::string::npos) << converted;
}

// Raw 8-bit text is the export's own: it is labelled with the export's code page, so that a
// Greek export reads as Greek, not as Latin letters.
TEST_F(MessageConverterTest, EightBitTextIsLabelledWithTheExportsCodePage) {
  files_.WriteFile("Attach/note.msg", "\xCA\xE1\xEB\xE7\xEC\xDD\xF1\xE1\r\n");
  const std::string exported =
      "From ???@???\r\nSubject: \xC3\xE5\xE9\xDC\r\n"
      "X-Attachment: \"C:\\Calypso\\Attach\\note.msg\";\r\n\r\n"
      "\xCA\xE1\xEB\xE7\xEC\xDD\xF1\xE1\r\n"s;
  struct Case {
    const char* codePage;
    const char* charset;
  };
  for (const Case& c : {Case{"CP1253", "windows-1253"}, Case{"CP1252", "iso-8859-1"}}) {
    const std::unique_ptr<ExportEncoding> encoding = ExportEncoding::Create(c.codePage);
    ASSERT_NE(encoding, nullptr) << c.codePage;
    MessageConverter converter({files_.Path().string()}, encoding.get());
    const std::string converted = converter.ConvertMessage(exported).text;
    const std::string label = "charset=\""s + c.charset + "\"";
    EXPECT_NE(converted.find("Subject: =?" + std::string(c.charset) + "?"), std::string::npos)
        << converted;
    // The text part, then the enclosed message file.
    const std::size_t text = converted.find(label);
    ASSERT_NE(text, std::string::npos) << converted;
    EXPECT_NE(converted.find(label, text + 1), std::string::npos) << converted;
    EXPECT_NE(converted.find("=CA=E1=EB=E7=EC=DD=F1=E1"), std::string::npos) << converted;
  }
}

TEST(ExportTextCharsetTest, NamesTheCodePageAsMailReadersKnowIt) {
  struct Case {
    const char* codePage;
    const char* charset;
  };
  for (const Case& c :
       {Case{"CP1252", "iso-8859-1"}, Case{"windows-1252", "iso-8859-1"},
        Case{"cp1251", "windows-1251"}, Case{"WINDOWS-1253", "windows-1253"},
        Case{"CP28597", "iso-8859-7"}, Case{"ISO-8859-2", "iso-8859-2"}, Case{"CP932", "shift_jis"},
        Case{"CP65001", "utf-8"}, Case{"UTF-8", "utf-8"}, Case{"KOI8-R", "koi8-r"},
        Case{"CP437", "cp437"}, Case{"CP12x", "cp12x"}}) {
    EXPECT_EQ(ExportTextCharset(c.codePage), c.charset) << c.codePage;
  }
}

// A file that is there but cannot be read leaves no empty part behind; it is reported, and an
// HTML body that cannot be read leaves the text to stand for it.
TEST_F(MessageConverterTest, FilesThatCannotBeReadLeaveNoPartBehind) {
  fs::create_directories(files_.Path() / "Attach" / "folder.jpg");
  fs::create_directories(files_.Path() / "Html" / "folder.htm");
  const ConvertedMessage converted = ConvertWhole(
      "From ???@???\r\nSubject: s\r\nX-CalypsoFolder: Inbox\r\n"
      "X-CalypsoHtmlBody: \"C:\\Calypso\\Html\\folder.htm\"; 1\r\n"
      "X-Attachment: \"C:\\Calypso\\Attach\\folder.jpg\"; 1\r\n"
      "X-Attachment: \"/dev/null\"; 1\r\n\r\nthe text\r\n");
  const std::string& text = converted.text;
  EXPECT_EQ(text.find("Content-Description: html body"), std::string::npos) << text;
  EXPECT_EQ(text.find("Content-Description: enclosed"), std::string::npos) << text;
  EXPECT_NE(text.find("the text"), std::string::npos);
  ASSERT_EQ(converted.findings.missingFiles.size(), 3u);
  EXPECT_EQ(converted.findings.missingFiles[0].path, "C:\\Calypso\\Html\\folder.htm");
  EXPECT_EQ(converted.findings.missingFiles[2].path, "/dev/null");
}

// Past the largest size it may have, a message goes on as it stood in the export, without the
// export's separator line, and is reported.
TEST_F(MessageConverterTest, AMessageTooLargeToConvertIsWrittenAsItStood) {
  converter_.SetMaxStoreLength(300);
  const std::string exported =
      "From ???@??? Mon Mar 01 19:42:10 2004\r\nFrom: a@example.org\r\nSubject: Big\r\n"
      "X-CalypsoFolder: Inbox\r\n\r\n" +
      std::string(400, 'x') + "\r\nFrom here on\r\n";
  const ConvertedMessage converted = ConvertWhole(exported);
  EXPECT_EQ(converted.text, Crlf("From: a@example.org\nSubject: Big\nX-CalypsoFolder: Inbox\n\n" +
                                 std::string(400, 'x') + "\nFrom here on\n"));
  EXPECT_EQ(converted.envelopeSender, "a@example.org");
  ASSERT_TRUE(converted.exportDate.has_value());
  EXPECT_EQ(AsctimeText(*converted.exportDate), "Mon Mar  1 19:42:10 2004");
  ASSERT_EQ(converted.findings.messageProblems.size(), 1u);
  const MessageProblem& problem = converted.findings.messageProblems[0];
  EXPECT_EQ(problem.problem, "too large to convert");
  EXPECT_EQ(problem.folder, "Inbox");
  EXPECT_EQ(problem.subject, "Big");
  // Told in the language of the run; the message is written the same.
  const ScopedLanguage german(Language::kGerman);
  const ConvertedMessage inGerman = ConvertWhole(exported);
  EXPECT_EQ(inGerman.text, converted.text);
  ASSERT_EQ(inGerman.findings.messageProblems.size(), 1u);
  EXPECT_EQ(inGerman.findings.messageProblems[0].problem, "zu gro\xC3\x9F zum Konvertieren");
}

TEST_F(MessageConverterTest, AMessageNestedTooDeepIsConvertedAndReported) {
  std::string exported = "From ???@???\r\nSubject: Deep\r\nX-CalypsoFolder: Inbox\r\n";
  for (int level = 0; level < 200; ++level) {
    exported += "Content-Type: multipart/mixed; boundary=\"b" + std::to_string(level) +
                "x\"\r\n\r\n--b" + std::to_string(level) + "x\r\n";
  }
  exported += "Content-Type: text/plain\r\n\r\nbottom\r\n";
  const ConvertedMessage converted = ConvertWhole(exported);
  EXPECT_TRUE(converted.text.starts_with("Date: \r\n")) << converted.text;
  ASSERT_EQ(converted.findings.messageProblems.size(), 1u);
  EXPECT_EQ(converted.findings.messageProblems[0].problem, "nested too deep");
}

}  // namespace
}  // namespace vandrel
