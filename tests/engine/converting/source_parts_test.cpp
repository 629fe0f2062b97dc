// What of the exported message arrives in the converted one: every part of its text, every file
// its header names, and nothing its text names.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/converting/message_converter.h"
#include "mime/mime_part.h"
#include "temp_folder.h"

namespace vandrel {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

class SourcePartsTest : public ::testing::Test {
 protected:
  ConvertedMessage Convert(const std::string& exported) {
    return converter_.ConvertMessage(exported, "BOUNDARY");
  }

  // The converted message read back: each part's Content-Type as written, without parameters.
  static std::vector<std::string> PartTypes(const std::string& converted) {
    mime::MailMessage message;
    message.Load(converted.substr(converted.find("\r\n") + 2));
    std::vector<std::string> types;
    for (const auto& child : message.Children()) {
      const mime::HeaderField* type = child->GetField("Content-Type");
      types.push_back(type == nullptr ? "" : type->value.substr(0, type->value.find(';')));
    }
    return types;
  }

  TempFolder files_;
  std::unique_ptr<ExportEncoding> encoding_ = ExportEncoding::Create("CP1252");
  MessageConverter converter_{{files_.Path().string()}, encoding_.get()};
};

const std::string kHeader =
    "From ???@??? Mon Mar 01 19:42:10 2004\r\nFrom: Anna <anna@example.org>\r\n"
    "Subject: Parts\r\nX-CalypsoFolder: Inbox\r\n";

// Leaves of the source as they stand there, each followed by the line break before the next
// boundary line.
const std::string kPdf =
    "Content-Type: application/pdf; name=\"plan.pdf\"\r\nContent-Transfer-Encoding: base64\r\n"
    "Content-Disposition: attachment; filename=\"plan.pdf\"\r\n\r\nJVBERi0xLjQKJSVFT0YK";
const std::string kPicture =
    "Content-Type: IMAGE/PNG\r\nContent-Transfer-Encoding: base64\r\n\r\niVBORw0KGgo=\r\n"
    "AAAA\r\n";
const std::string kForwarded =
    "Content-Type: message/rfc822\r\n\r\nFrom: b@example.org\r\nSubject: inner\r\n\r\n"
    "From the inner text\r\n";
const std::string kUnknown = "Content-Type: application/x-odd\r\n\r\nodd\0bytes\x80\r"s;

TEST_F(SourcePartsTest, EveryLeafArrivesTextAsTextAndTheRestAsItStood) {
  fs::create_directories(files_.Path() / "Attach");
  files_.WriteFile("Attach/note.txt", "note\r\n");
  const std::string exported =
      kHeader + "X-Attachment: \"C:\\Calypso\\Attach\\note.txt\"; 6\r\n" +
      "Content-Type: multipart/mixed; boundary=\"outer\"\r\n\r\npreamble\r\n"
      "--outer\r\nContent-Type: multipart/alternative; boundary=\"alt\"\r\n\r\n"
      "--alt\r\nContent-Type: text/plain; charset=utf-8\r\n\r\nCaf\xC3\xA9\r\n"
      "--alt\r\nContent-Type: TEXT/HTML; charset=iso-8859-1\r\n\r\n<p>Caf\xE9</p>\r\n"
      "--alt--\r\n\r\n--outer\r\n" +
      kPdf + "\r\n--outer\r\n" + kPicture + "\r\n--outer\r\n" + kForwarded +
      "\r\n--outer\r\nContent-Type: text/calendar; method=REQUEST\r\n\r\nBEGIN:VCALENDAR\r\n"
      "\r\n--outer\r\n" +
      kUnknown + "\r\n--outer\r\nContent-Type: text/plain\r\n\r\n\r\n--outer--\r\n";
  const ConvertedMessage converted = Convert(exported);
  const std::string& text = converted.text;
  EXPECT_EQ(PartTypes(text), (std::vector<std::string>{
                                 "text/plain", "text/html", "text/calendar", "application/pdf",
                                 "IMAGE/PNG", "message/rfc822", "application/x-odd", "text/plain"}))
      << text;
  for (const std::string& leaf : {kPdf, kPicture, kForwarded, kUnknown}) {
    EXPECT_NE(text.find("\r\n--BOUNDARY\r\n" + leaf + "\r\n--BOUNDARY"), std::string::npos) << leaf;
  }
  EXPECT_NE(text.find("Content-Type: text/html; charset=\"iso-8859-1\"\r\n"
                      "Content-Transfer-Encoding: quoted-printable\r\n\r\n<p>Caf=E9</p>"),
            std::string::npos)
      << text;
  EXPECT_TRUE(converted.findings.messageProblems.empty());
  EXPECT_TRUE(converted.findings.missingFiles.empty());
}

// A message that is itself one document keeps it, under its own content fields only; the
// message's addresses and Calypso's lines stay in the message's header.
TEST_F(SourcePartsTest, AMessageThatIsOneDocumentKeepsIt) {
  const std::string exported = kHeader +
                               "Content-Type: application/pdf;\r\n name=\"scan.pdf\"\r\n"
                               "MIME-Version: 1.0\r\nContent-Transfer-Encoding: base64\r\n\r\n"
                               "JVBERi0xLjQK\r\nJSVFT0YK\r\n";
  const std::string text = Convert(exported).text;
  EXPECT_EQ(PartTypes(text), (std::vector<std::string>{"text/plain", "application/pdf"})) << text;
  EXPECT_NE(text.find("\r\n--BOUNDARY\r\nContent-Type: application/pdf;\r\n name=\"scan.pdf\"\r\n"
                      "Content-Transfer-Encoding: base64\r\n\r\nJVBERi0xLjQK\r\nJSVFT0YK\r\n\r\n"
                      "--BOUNDARY--"),
            std::string::npos)
      << text;
  // The document is not there a second time, decoded into the text part.
  EXPECT_EQ(text.find("%PDF"), std::string::npos) << text;
  EXPECT_EQ(text.find("=25PDF"), std::string::npos) << text;
}

TEST_F(SourcePartsTest, ATextLeafKeepsItsOwnKindOfText) {
  const struct {
    const char* contentType;  // empty: none
    const char* written;
  } cases[] = {
      {"", "text/plain"},
      {"text/plain", "text/plain"},
      {"Text/HTML; charset=utf-8", "text/html"},
      {"text/html\r\n ; charset=utf-8", "text/html"},
      {"text/calendar; method=REQUEST", "text/calendar"},
      {"text/x-vcard", "text/x-vcard"},
      {"text", "text/plain"},
      {"text/", "text/plain"},
      {"text/ht<ml>", "text/plain"},
  };
  for (const auto& c : cases) {
    const std::string field =
        *c.contentType == '\0' ? "" : "Content-Type: "s + c.contentType + "\r\n";
    const std::string text = Convert(kHeader + field + "\r\nbody\r\n").text;
    EXPECT_EQ(PartTypes(text), std::vector<std::string>{c.written}) << c.contentType << "\n"
                                                                    << text;
  }
}

// The part at the nesting limit holds everything below it, and it arrives whole.
TEST_F(SourcePartsTest, APartLeftWholeAtTheNestingLimitArrives) {
  std::string exported = kHeader;
  for (int level = 0; level < 100; ++level) {
    exported += "Content-Type: multipart/mixed; boundary=\"b" + std::to_string(level) +
                "x\"\r\n\r\n--b" + std::to_string(level) + "x\r\n";
  }
  exported += "Content-Type: text/plain\r\n\r\nat the bottom\r\n";
  const ConvertedMessage converted = Convert(exported);
  EXPECT_NE(converted.text.find("\r\nat the bottom\r\n"), std::string::npos);
  EXPECT_NE(converted.text.find("boundary=\"b99x\""), std::string::npos);
  ASSERT_EQ(converted.findings.messageProblems.size(), 1u);
  EXPECT_EQ(converted.findings.messageProblems[0].problem, "nested too deep");
}

// Only the header block names files; the same words in the text are reported, and nothing is
// read for them.
TEST_F(SourcePartsTest, OnlyHeaderLinesThatStartWithTheFieldNameAFile) {
  fs::create_directories(files_.Path() / "Mail");
  fs::create_directories(files_.Path() / "Attach");
  files_.WriteFile("Mail/a;b.pdf", "%PDF-a;b");
  files_.WriteFile("Attach/x.jpg", "jpeg bytes");
  files_.WriteFile("secret.txt", "the user's own file");
  const std::string secret = (files_.Path() / "secret.txt").string();
  const std::string exported = kHeader + "X-Attachment: \"C:\\Mail\\a;b.pdf\"; 1234\r\n" +
                               "X-Attachment:    C:\\Calypso\\Attach\\x.jpg  \r\n" +
                               "X-Note: see X-Attachment: \"" + secret + "\"; 12\r\n" +
                               "X-Attachment: \"" + (files_.Path() / "*.txt").string() +
                               "\"; 1\r\n\r\nquoted: X-Attachment: \"" + secret +
                               "\"; 3\r\nX-Attachment: " + secret + "\r\n";
  const ConvertedMessage converted = Convert(exported);
  const std::string& text = converted.text;
  EXPECT_NE(text.find("name=\"a;b.pdf\""), std::string::npos) << text;
  EXPECT_NE(text.find("name=\"x.jpg\""), std::string::npos) << text;
  EXPECT_EQ(text.find("name=\"secret.txt\""), std::string::npos) << text;
  EXPECT_EQ(text.find("dGhlIHVzZXIncyBvd24gZmlsZQ"), std::string::npos) << text;  // its base64
  ASSERT_EQ(converted.findings.missingFiles.size(), 1u);
  EXPECT_EQ(converted.findings.missingFiles[0].path, (files_.Path() / "*.txt").string());
  ASSERT_EQ(converted.findings.filesNamedInText.size(), 3u);
  for (const MissingFile& named : converted.findings.filesNamedInText) {
    EXPECT_EQ(named.path, secret);
    EXPECT_EQ(named.folder, "Inbox");
    EXPECT_EQ(named.subject, "Parts");
  }
}

// Past what it can hold, the converter writes the message as it stood, and says so.
TEST_F(SourcePartsTest, AMessageTooLargeToReadIsWrittenAsItStood) {
  const std::string body = "From the start\r\n" + std::string(500, 'x') + "\r\n";
  const std::string exported = kHeader + "\r\n" + body;
  converter_.SetMaxSourceLength(exported.size() - 1);
  const ConvertedMessage converted = Convert(exported);
  EXPECT_EQ(
      converted.text,
      "From: Anna <anna@example.org>\r\nSubject: Parts\r\nX-CalypsoFolder: Inbox\r\n\r\n" + body);
  EXPECT_EQ(converted.envelopeSender, "anna@example.org");
  EXPECT_EQ(converted.subject, "Parts");
  ASSERT_EQ(converted.findings.messageProblems.size(), 1u);
  EXPECT_EQ(converted.findings.messageProblems[0].problem, "too large to convert");
  EXPECT_EQ(converted.findings.messageProblems[0].folder, "Inbox");
  converter_.SetMaxSourceLength(exported.size());
  EXPECT_TRUE(Convert(exported).findings.messageProblems.empty());
}

}  // namespace
}  // namespace vandrel
