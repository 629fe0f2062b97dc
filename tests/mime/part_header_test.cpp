#include "mime/part_header.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

namespace vandrel::mime {
namespace {

using namespace std::string_literals;

std::vector<std::string> Names(const PartHeader& header) {
  std::vector<std::string> names;
  for (const HeaderField& field : header.Fields())
    names.push_back(field.name);
  return names;
}

TEST(PartHeaderTest, LoadReturnsTheHeaderLengthAndNeverMovesPastTheText) {
  const struct {
    std::string text;
    int consumed;
    std::vector<std::string> names;
  } cases[] = {
      {"Subject: a\r\n b\r\nTo: x\r\n\r\nbody", 25, {"Subject", "To"}},
      {"Subject: a\r\n b\r\nTo: x\r\n\r\n", 25, {"Subject", "To"}},
      // No blank line: the header runs to the end of the text, nothing beyond is read.
      {"To: x\r\n", 7, {"To"}},
      {"\r\nbody", 2, {}},
      {"To: x\r\n\r", 8, {"To"}},
      {"To: x\r\n\0hidden"s, 7, {"To"}},
      // Lines of blanks before the blank line or the end end the header instead of failing it.
      {"To: x\r\n\v\r\n\r\nbody", 12, {"To"}},
      {"\f \r\n\t\r\n\r\nbody", 9, {}},
      {"To: x\r\n\f   ", 11, {"To"}},
      {" orphan\r\n\r\nbody", 11, {}},
      // A field that never ends fails the load; the fields before it stay.
      {"To: x\r\nSubject: open", 0, {"To"}},
  };
  for (const auto& c : cases) {
    PartHeader header;
    EXPECT_EQ(header.Load(c.text), c.consumed) << c.text;
    EXPECT_EQ(Names(header), c.names) << c.text;
  }
}

TEST(PartHeaderTest, LookupIgnoresCaseAndTakesTheFirstMatch) {
  PartHeader header;
  header.Load("content-type: text/html\r\nX: 1\r\nCONTENT-TYPE: image/gif\r\n\r\n");
  ASSERT_NE(header.GetField("Content-Type"), nullptr);
  EXPECT_EQ(header.GetField("Content-Type")->value, "text/html");
  EXPECT_EQ(header.FindField("x") - header.Fields().begin(), 1);
  EXPECT_EQ(header.FindField("missing"), header.Fields().end());
  EXPECT_EQ(header.GetField("missing"), nullptr);
}

TEST(PartHeaderTest, SetFieldValueReplacesInPlaceOrAppends) {
  PartHeader header;
  header.SetFieldValue("A", "1");
  header.SetFieldValue("x", "0", "utf-8");
  header.SetFieldValue("B", "2");
  const HeaderField* before = header.GetField("x");
  header.SetFieldValue("X", "1");
  EXPECT_EQ(header.GetField("x"), before);
  EXPECT_EQ(Names(header), (std::vector<std::string>{"A", "X", "B"}));
  EXPECT_EQ(before->value, "1");
  EXPECT_EQ(before->charset, "");
  header.SetField(HeaderField("C", "3"));
  EXPECT_EQ(Names(header), (std::vector<std::string>{"A", "X", "B", "C"}));
}

TEST(PartHeaderTest, ContentTypeConveniences) {
  PartHeader none;
  EXPECT_EQ(none.GetMainType(), "text");
  EXPECT_EQ(none.GetMediaType(), kMediaText);
  EXPECT_EQ(none.GetBoundary(), "");

  PartHeader multipart;
  multipart.SetFieldValue("Content-Type", "multipart/mixed; boundary=\"b1\"; name=\"n.txt\"");
  EXPECT_EQ(multipart.GetMainType(), "multipart");
  EXPECT_EQ(multipart.GetMediaType(), kMediaMultipart);
  EXPECT_EQ(multipart.GetBoundary(), "b1");
  EXPECT_EQ(multipart.GetName(), "n.txt");

  PartHeader slashless;
  slashless.SetFieldValue("Content-Type", "text");
  EXPECT_EQ(slashless.GetMainType(), "text");

  PartHeader charset;
  charset.SetCharset("iso-8859-1");
  EXPECT_EQ(charset.GetField("Content-Type")->value, "text/plain; charset=\"iso-8859-1\"");
  charset.SetCharset("utf-8");
  EXPECT_EQ(charset.GetField("Content-Type")->value, "text/plain; charset=\"utf-8\"");

  PartHeader named;
  named.SetName("Report.PDF");
  EXPECT_EQ(named.GetField("Content-Type")->value, "application/pdf; name=\"Report.PDF\"");
  PartHeader typed;
  typed.SetFieldValue("Content-Type", "image/gif");
  typed.SetName("Report.PDF");
  EXPECT_EQ(typed.GetField("Content-Type")->value, "image/gif; name=\"Report.PDF\"");
}

TEST(PartHeaderTest, SetBoundaryMakesTheHeaderMultipart) {
  PartHeader html;
  html.SetFieldValue("Content-Type", "text/html; charset=\"utf-8\"");
  html.SetBoundary("b");
  EXPECT_EQ(html.GetField("Content-Type")->value, "multipart/mixed; boundary=\"b\"");

  PartHeader alternative;
  alternative.SetFieldValue("Content-Type", "Multipart/Alternative; boundary=\"old\"");
  alternative.SetBoundary("new");
  EXPECT_EQ(alternative.GetField("Content-Type")->value, "Multipart/Alternative; boundary=\"new\"");

  PartHeader empty;
  empty.SetBoundary();
  EXPECT_EQ(empty.GetField("Content-Type")->value.rfind("multipart/mixed; boundary=\"", 0), 0u);
  EXPECT_EQ(empty.GetBoundary().size(), 35u);
}

TEST(PartHeaderTest, GeneratedBoundariesCycleTheirCounterAndDifferOnlyThere) {
  const std::regex shape("__=_Part_Boundary_00([1-9])_(\\d{6})\\.(\\d{6})");
  const int dummy = 0;
  std::vector<int> counters;
  std::set<std::string> randomParts;
  for (int i = 0; i < 18; ++i) {
    const std::string boundary = GenerateBoundary(&dummy);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(boundary, match, shape)) << boundary;
    counters.push_back(std::stoi(match[1]));
    EXPECT_LE(std::stoi(match[2]), 32767);
    EXPECT_LE(std::stoi(match[3]), 32767);
    randomParts.insert(boundary.substr(21));
  }
  // Counters follow each other 1..9 and wrap from 9 to 1, wherever the process stood.
  for (std::size_t i = 1; i < counters.size(); ++i) {
    EXPECT_EQ(counters[i], counters[i - 1] % 9 + 1) << i;
  }
  // The same seed within one second gives the same random digits (a change of second may add one).
  EXPECT_LE(randomParts.size(), 2u);
}

TEST(PartHeaderTest, StoreWritesFieldsAndTheBlankLine) {
  PartHeader header;
  header.SetFieldValue("To", "a@b");
  header.SetFieldValue("Subject", "");
  const std::string expected = "To: a@b\r\nSubject: \r\n\r\n";
  ASSERT_EQ(header.GetStoreLength(), static_cast<int>(expected.size()));
  std::string buffer(expected.size(), '\0');
  EXPECT_EQ(header.Store(buffer.data(), static_cast<int>(buffer.size())),
            static_cast<int>(expected.size()));
  EXPECT_EQ(buffer, expected);
  EXPECT_EQ(header.Store(buffer.data(), static_cast<int>(expected.size()) - 1), 0);
  EXPECT_EQ(header.Store(buffer.data(), 5), 0);
}

}  // namespace
}  // namespace vandrel::mime
