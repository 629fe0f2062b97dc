#include "mime/mime_part.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "mime/body_part_factory.h"

namespace vandrel::mime {
namespace {

using namespace std::string_literals;

// Stores the part into a buffer of exactly GetStoreLength bytes.
std::string StoreWhole(const MimePart& part) {
  const int bound = part.GetStoreLength();
  EXPECT_GT(bound, 0);
  std::string buffer(static_cast<std::size_t>(bound), '\x7F');
  const int written = part.Store(buffer.data(), bound);
  EXPECT_GE(written, 0);
  EXPECT_LE(written, bound);
  buffer.resize(static_cast<std::size_t>(std::max(written, 0)));
  return buffer;
}

std::vector<std::string> LeafContents(MimePart& root) {
  std::vector<MimePart*> leaves;
  root.CollectLeafParts(leaves);
  std::vector<std::string> contents;
  for (MimePart* leaf : leaves)
    contents.emplace_back(leaf->Content());
  return contents;
}

const std::string kTwoChildren =
    "Content-Type: multipart/mixed; boundary=\"B\"\r\n"
    "\r\n--B\r\n"
    "Content-Type: text/plain\r\n\r\none"
    "\r\n--B\r\n"
    "Content-Type: text/plain\r\n\r\ntwo"
    "\r\n--B--\r\n";

TEST(MimePartTest, StoreWritesChildrenBetweenBoundaryLinesAndANul) {
  MailMessage message;
  message.SetBoundary("B");
  for (const char* text : {"one", "two"}) {
    MimePart* child = message.CreatePart("text");
    child->SetFieldValue("Content-Type", "text/plain");
    child->SetContent(text, 0);
  }
  const int bound = message.GetStoreLength();
  std::string buffer(static_cast<std::size_t>(bound), '\x7F');
  const int written = message.Store(buffer.data(), bound);
  ASSERT_EQ(buffer.substr(0, static_cast<std::size_t>(written)), kTwoChildren);
  EXPECT_EQ(buffer[static_cast<std::size_t>(written)], '\0');
}

TEST(MimePartTest, LoadBuildsTheTreeBack) {
  MailMessage message;
  ASSERT_EQ(message.Load(kTwoChildren), static_cast<int>(kTwoChildren.size()));
  EXPECT_FALSE(message.HasContent());
  ASSERT_EQ(message.Children().size(), 2u);
  EXPECT_EQ(LeafContents(message), (std::vector<std::string>{"one", "two"}));
  EXPECT_EQ(message.Children()[1]->GetField("content-type")->value, "text/plain");
}

TEST(MimePartTest, LoadHandlesRealWorldShapes) {
  const struct {
    const char* what;
    std::string text;
    std::string rootContent;
    std::vector<std::string> leaves;
    std::size_t unread;  // bytes after what Load consumes
  } cases[] = {
      {"preamble is content with its line break; epilogue is left",
       "Content-Type: multipart/mixed; boundary=B\r\n\r\npre\r\n--B\r\n\r\na\r\n--B--\r\nepilogue",
       "pre\r\n",
       {"a"},
       8},
      {"empty part: the delimiter's CR LF is its blank line",
       "Content-Type: multipart/mixed; boundary=B\r\n\r\n--B\r\nContent-Type: "
       "text/plain\r\n\r\n--B\r\n"
       "X: 1\r\n\r\nbody\r\n--B--\r\n",
       "",
       {"", "body"},
       0},
      {"no closing delimiter: the last child runs to the end",
       "Content-Type: multipart/mixed; boundary=B\r\n\r\n--B\r\n\r\nfirst\r\n--B\r\n\r\nlast",
       "",
       {"first", "last"},
       0},
      {"boundary that never occurs: the body is content",
       "Content-Type: multipart/mixed; boundary=B\r\n\r\nno delimiter here",
       "no delimiter here",
       {},
       0},
      {"boundaries compare exactly",
       "Content-Type: multipart/mixed; boundary=B\r\n\r\n--b\r\n\r\nx",
       "--b\r\n\r\nx",
       {},
       0},
      {"multipart without boundary parameter keeps its body",
       "Content-Type: multipart/mixed\r\n\r\n--B\r\n\r\nx",
       "--B\r\n\r\nx",
       {},
       0},
      {"base64 child decoded",
       "Content-Type: multipart/mixed; boundary=B\r\n\r\n--B\r\nContent-Transfer-Encoding: "
       "BASE64\r\n\r\n"
       "SGVs\r\nbG8=\r\n--B--\r\n",
       "",
       {"Hello"},
       0},
      {"nested multipart",
       "Content-Type: multipart/mixed; boundary=A\r\n\r\n--A\r\n\r\np1\r\n--A\r\n"
       "Content-Type: multipart/alternative; "
       "boundary=C\r\n\r\n--C\r\n\r\np3\r\n--C\r\n\r\np4\r\n--C--\r\n"
       "\r\n--A--\r\n",
       "",
       {"p1", "p3", "p4"},
       0},
      {"not multipart: everything after the header is content",
       "Subject: x\r\n\r\nline\r\n--B\r\n",
       "line\r\n--B\r\n",
       {"line\r\n--B\r\n"},
       0},
  };
  for (const auto& c : cases) {
    MailMessage message;
    EXPECT_EQ(message.Load(c.text), static_cast<int>(c.text.size() - c.unread)) << c.what;
    EXPECT_EQ(std::string(message.Content()), c.rootContent) << c.what;
    EXPECT_EQ(LeafContents(message), c.leaves) << c.what;
  }
}

// The source text of each leaf, as the loaded spans name it.
std::vector<std::string> LeafSources(MimePart& root, std::string_view text) {
  std::vector<MimePart*> leaves;
  root.CollectLeafParts(leaves);
  std::vector<std::string> sources;
  for (const MimePart* leaf : leaves) {
    const MimePart::SourceSpan& span = leaf->LoadedSpan();
    const std::string_view source = text.substr(span.offset, span.length);
    sources.emplace_back(source);
    // The header ends where the part's own header lines end, its blank line included.
    EXPECT_TRUE(span.headerLength == 0 || source.substr(0, span.headerLength).ends_with("\r\n"))
        << source;
  }
  return sources;
}

// Each part knows where it stood, so that it can be taken over byte for byte.
TEST(MimePartTest, EachLoadedPartKnowsWhereItStood) {
  const struct {
    std::string text;
    std::vector<std::string> leaves;
  } cases[] = {
      {kTwoChildren,
       {"Content-Type: text/plain\r\n\r\none", "Content-Type: text/plain\r\n\r\ntwo"}},
      {"Content-Type: multipart/mixed; boundary=A\r\n\r\npre\r\n--A\r\n\r\np1\r\n--A\r\n"
       "Content-Type: multipart/alternative; boundary=C\r\n\r\n--C\r\nX: 1\r\n\r\np3\r\n"
       "--C\r\n\r\np4\r\n--C--\r\n\r\n--A\r\nContent-Type: image/gif\r\n"
       "Content-Transfer-Encoding: base64\r\n\r\nR0lG\r\nODlh\r\n--A--\r\nepilogue",
       {"\r\np1", "X: 1\r\n\r\np3", "\r\np4",
        "Content-Type: image/gif\r\nContent-Transfer-Encoding: base64\r\n\r\nR0lG\r\nODlh"}},
      {"Content-Type: multipart/mixed; boundary=B\r\n\r\n--B\r\n\r\nfirst\r\n--B\r\n\r\nlast",
       {"\r\nfirst", "\r\nlast"}},
      {"Subject: x\r\n\r\nline\r\n", {"Subject: x\r\n\r\nline\r\n"}},
  };
  for (const auto& c : cases) {
    MailMessage message;
    ASSERT_GT(message.Load(c.text), 0) << c.text;
    EXPECT_EQ(LeafSources(message, c.text), c.leaves) << c.text;
  }
  const std::string header = "Subject: x\r\nContent-Type: image/png\r\n\r\n";
  MailMessage top;
  top.Load(header + "iVBO\r\n");
  EXPECT_EQ(top.LoadedSpan().headerLength, header.size());
}

// A part taken over whole is written as its bytes, between the boundary lines like any other.
TEST(MimePartTest, AVerbatimPartIsStoredAsItsBytes) {
  const std::string picture =
      "Content-Type: image/gif; name=\"a.gif\"\r\nContent-Transfer-Encoding: base64\r\n\r\n"
      "R0lGODlhAQABAAAAACw=";
  MailMessage message;
  message.SetBoundary("B");
  MimePart* text = message.CreatePart("text");
  text->SetFieldValue("Content-Type", "text/plain");
  text->SetContent("one", 0);
  MimePart* taken = message.CreatePart("image");
  taken->SetFieldValue("Content-Type", "text/plain");  // not written: the bytes stand for it
  taken->SetContent("ignored", 0);
  taken->SetVerbatim(picture);
  EXPECT_TRUE(taken->IsVerbatim());
  const std::string stored = StoreWhole(message);
  EXPECT_NE(stored.find("\r\n--B\r\n" + picture + "\r\n--B--\r\n"), std::string::npos) << stored;
  EXPECT_EQ(stored.find("ignored"), std::string::npos) << stored;
  // Read back, the part is the picture again.
  MailMessage again;
  again.Load(stored);
  ASSERT_EQ(again.Children().size(), 2u);
  EXPECT_EQ(again.Children()[1]->GetName(), "a.gif");
  EXPECT_EQ(LeafSources(again, stored)[1], picture);
  for (int capacity = 0; capacity <= message.GetStoreLength(); ++capacity) {
    std::string buffer(static_cast<std::size_t>(capacity) + 8, '\x7F');
    EXPECT_LE(message.Store(buffer.data(), capacity), capacity);
    EXPECT_EQ(buffer.substr(static_cast<std::size_t>(capacity)), std::string(8, '\x7F'));
  }
  taken->Clear();
  EXPECT_FALSE(taken->IsVerbatim());
}

// A part type registered for a media type, which starts with a field of its own.
class StampedPart : public MimePart {
 public:
  StampedPart() { SetFieldValue("X-Stamp", "made"); }
};

TEST(MimePartTest, EachChildIsMadeForItsMediaTypeAndKeepsItsOwnFieldsFirst) {
  RegisterBodyPart("x-stamped", [] { return std::unique_ptr<MimePart>(new StampedPart); });
  MailMessage message;
  const std::string text =
      "Content-Type: multipart/mixed; boundary=B\r\n\r\n--B\r\n"
      "Content-Type: x-stamped/thing\r\nX-Other: 1\r\n\r\nbody\r\n--B\r\n"
      "Content-Type: text/plain\r\n\r\nplain\r\n--B--\r\n";
  const int consumed = message.Load(text);
  RegisterBodyPart("x-stamped", nullptr);

  EXPECT_EQ(consumed, static_cast<int>(text.size()));
  ASSERT_EQ(message.Children().size(), 2u);
  const MimePart& stamped = *message.Children()[0];
  EXPECT_NE(dynamic_cast<const StampedPart*>(&stamped), nullptr);
  std::vector<std::string> names;
  for (const HeaderField& field : stamped.Fields())
    names.push_back(field.name);
  EXPECT_EQ(names, (std::vector<std::string>{"X-Stamp", "Content-Type", "X-Other"}));
  EXPECT_EQ(stamped.Content(), "body");
  EXPECT_EQ(dynamic_cast<const StampedPart*>(message.Children()[1].get()), nullptr);
  EXPECT_EQ(message.Children()[1]->Content(), "plain");
}

TEST(MimePartTest, CollectLeafPartsWalksDepthFirst) {
  MailMessage root;
  root.SetBoundary("r");
  MimePart* p1 = root.CreatePart("text");
  MimePart* p2 = root.CreatePart("multipart");
  p2->SetBoundary("inner");
  MimePart* p3 = p2->CreatePart("");
  MimePart* p4 = p2->CreatePart("image");
  MimePart* empty = root.CreatePart("multipart");
  empty->SetBoundary("none");
  std::vector<MimePart*> leaves;
  EXPECT_EQ(root.CollectLeafParts(leaves), 3);
  EXPECT_EQ(leaves, (std::vector<MimePart*>{p1, p3, p4}));

  MailMessage single;
  leaves.clear();
  EXPECT_EQ(single.CollectLeafParts(leaves), 1);
  EXPECT_EQ(leaves, (std::vector<MimePart*>{&single}));
}

TEST(MimePartTest, CreateInsertsBeforeAChildAndEraseRemovesIt) {
  MimePart root;
  MimePart* a = root.CreatePart("text");
  MimePart* c = root.CreatePart("text");
  MimePart* b = root.CreatePart("text", c);
  MimePart stranger;
  MimePart* d = root.CreatePart("text", &stranger);
  ASSERT_EQ(root.Children().size(), 4u);
  EXPECT_EQ(root.Children()[0].get(), a);
  EXPECT_EQ(root.Children()[1].get(), b);
  EXPECT_EQ(root.Children()[2].get(), c);
  EXPECT_EQ(root.Children()[3].get(), d);
  root.ErasePart(b);
  root.ErasePart(&stranger);
  EXPECT_EQ(root.Children().size(), 3u);
  root.Clear();
  EXPECT_TRUE(root.Children().empty());
  EXPECT_TRUE(root.Fields().empty());
}

TEST(MimePartTest, ContentAccessorsKeepEveryByte) {
  MimePart part;
  std::string out = "untouched";
  EXPECT_EQ(part.GetContent(out), 0);
  EXPECT_EQ(out, "untouched");

  const std::string withNul = "a\0b\r\nc"s;
  EXPECT_EQ(part.SetContent(withNul.data(), static_cast<int>(withNul.size())), 6);
  EXPECT_EQ(part.GetContent(out), 6);
  EXPECT_EQ(out, withNul);
  EXPECT_EQ(part.SetContent(withNul.data(), 0), 1);
  EXPECT_EQ(part.Content(), "a");

  char buffer[4];
  part.SetContent("abcdef", 0);
  EXPECT_EQ(part.CopyContent(buffer, 4), 4);
  EXPECT_EQ(std::string(buffer, 4), "abcd");
  EXPECT_EQ(part.CopyContent(buffer, -1), 0);
}

// Moving content between parts must give what copying gives, and leave the source empty.
TEST(MimePartTest, MovedContentIsStoredLikeCopiedContent) {
  const std::string text =
      "Gr\xFC\xDF"
      "e \r\nvon\0 mir =\r\n.\r\n"s +
      std::string(200, 'x');
  MailMessage source;
  ASSERT_GT(source.Load("Content-Type: text/plain\r\n\r\n" + text), 0);

  const auto makeOutput = [](MailMessage& output) -> MimePart& {
    output.SetBoundary("B");
    MimePart* part = output.CreatePart("text");
    part->SetFieldValue("Content-Transfer-Encoding", "quoted-printable");
    return *part;
  };
  MailMessage copied;
  makeOutput(copied).SetContent(source.Content());
  MailMessage moved;
  EXPECT_EQ(makeOutput(moved).MoveContentFrom(source), static_cast<int>(text.size()));

  EXPECT_EQ(moved.Children()[0]->Content(), text);
  EXPECT_FALSE(source.HasContent());
  EXPECT_EQ(source.Content(), "");
  EXPECT_EQ(StoreWhole(moved), StoreWhole(copied));

  // Into itself nothing changes; from a part without content the part is left without any.
  MimePart& part = *moved.Children()[0];
  EXPECT_EQ(part.MoveContentFrom(part), static_cast<int>(text.size()));
  EXPECT_EQ(part.Content(), text);
  EXPECT_EQ(part.MoveContentFrom(source), 0);
  EXPECT_FALSE(part.HasContent());
}

TEST(MimePartTest, StoreFailsForChildrenWithoutABoundary) {
  MimePart part;
  part.SetFieldValue("Content-Type", "multipart/mixed");
  part.CreatePart("text");
  std::vector<char> buffer(static_cast<std::size_t>(part.GetStoreLength()));
  EXPECT_EQ(part.Store(buffer.data(), static_cast<int>(buffer.size())), -1);
}

TEST(MimePartTest, PreambleWithoutLineEndStillGetsItsClosingLine) {
  MailMessage message;
  message.SetBoundary("B");
  message.SetContent("preamble", 0);
  message.CreatePart("text")->SetContent("x", 0);
  const std::string text = StoreWhole(message);
  EXPECT_TRUE(text.ends_with("\r\n--B--\r\n")) << text;
}

TEST(MimePartTest, StoreIntoEveryShortBufferStaysInside) {
  MailMessage message;
  message.Load(kTwoChildren);
  const int bound = message.GetStoreLength();
  for (int capacity = 0; capacity <= bound; ++capacity) {
    std::string buffer(static_cast<std::size_t>(capacity) + 16, '\x7F');
    const int written = message.Store(buffer.data(), capacity);
    EXPECT_LE(written, capacity);
    EXPECT_EQ(buffer.substr(static_cast<std::size_t>(capacity)), std::string(16, '\x7F'))
        << capacity;
  }
}

}  // namespace
}  // namespace vandrel::mime

namespace vandrel::mime {
namespace {

// Multiparts nested `depth` levels below the top, a text at the bottom.
std::string NestedMessage(int depth) {
  std::string text = "Subject: deep\r\n";
  for (int level = 0; level < depth; ++level) {
    const std::string boundary = "b" + std::to_string(level) + "x";
    text += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n\r\n--" + boundary +
            "\r\n";
  }
  text += "Content-Type: text/plain\r\n\r\nat the bottom";
  for (int level = depth - 1; level >= 0; --level) {
    text += "\r\n--b" + std::to_string(level) + "x--\r\n";
  }
  return text;
}

int TreeDepth(const MimePart& part) {
  int depth = 0;
  for (const MimePart* p = &part; !p->Children().empty(); p = p->Children().front().get())
    ++depth;
  return depth;
}

TEST(MimePartTest, NestingDeeperThanTheLimitIsCutIntoALeaf) {
  const struct {
    int depth;
    bool cut;
    int treeDepth;
  } cases[] = {
      {MimePart::kMaxNesting - 1, false, MimePart::kMaxNesting - 1},
      // The text at the limit is a leaf anyway.
      {MimePart::kMaxNesting, false, MimePart::kMaxNesting},
      {MimePart::kMaxNesting + 1, true, MimePart::kMaxNesting},
      {40000, true, MimePart::kMaxNesting},
  };
  for (const auto& c : cases) {
    const std::string text = NestedMessage(c.depth);
    MailMessage message;
    ASSERT_EQ(message.Load(text), static_cast<int>(text.size())) << c.depth;
    EXPECT_EQ(message.NestingCut(), c.cut) << c.depth;
    EXPECT_EQ(TreeDepth(message), c.treeDepth) << c.depth;
    // The part at the limit holds everything below it, unsplit.
    const MimePart* deepest = &message;
    while (!deepest->Children().empty())
      deepest = deepest->Children().front().get();
    EXPECT_NE(deepest->Content().find("at the bottom"), std::string_view::npos) << c.depth;
    EXPECT_GT(message.GetStoreLength(), 0);
  }
}

}  // namespace
}  // namespace vandrel::mime
