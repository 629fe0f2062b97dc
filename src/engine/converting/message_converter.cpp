#include "engine/converting/message_converter.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "engine/converting/attachment_parts.h"
#include "engine/converting/body_parts.h"
#include "engine/converting/header_charset.h"
#include "engine/converting/line_ends.h"
#include "engine/converting/separator_line.h"
#include "mime/bounded_text.h"
#include "mime/mime_part.h"
#include "texts/texts.h"

namespace vandrel {

namespace {

// Why a message could not be converted in full, in English: reported through Tr.
constexpr std::string_view kTooLarge = TrNoop("too large to convert");
constexpr std::string_view kNoMemory = TrNoop("not enough memory to convert");
constexpr std::string_view kNotStored = TrNoop("could not be stored");
constexpr std::string_view kNestedTooDeep = TrNoop("nested too deep");

struct CapturedValue {
  std::string value;
  std::string charset;  // of the source field, as its encoded words named it
  bool present = false;
};

struct SourceValues {
  CapturedValue subject, sender, recipients, date, blindCopies, copies, returnPath, messageId,
      priority, mailer, folder, account, htmlBody, replyTo, inReplyTo, references;
};

// A CR or LF that is not part of a fold would start a new header line when written back.
std::string WithoutLoneLineBreaks(std::string value) {
  for (std::size_t i = 0; i < value.size(); ++i) {
    const bool fold = value[i] == '\r' && i + 2 < value.size() && value[i + 1] == '\n' &&
                      (value[i + 2] == ' ' || value[i + 2] == '\t');
    if (fold) {
      ++i;
    } else if (value[i] == '\r' || value[i] == '\n') {
      value[i] = ' ';
    }
  }
  return value;
}

// Taken out of the source, which is let go once the body is built: a long value is not copied.
CapturedValue Capture(mime::MailMessage& source, std::string_view name) {
  mime::HeaderField* field = source.GetField(name);
  if (field == nullptr) return {};
  return {WithoutLoneLineBreaks(std::move(field->value)), field->charset, true};
}

// A status line or a report line shows no more of a subject than this; a subject of megabytes
// would only flood them.
constexpr std::size_t kLongestShownSubject = 1000;

// The text from its first "<" to the end; all of it when it holds no "<".
std::string FromFirstAngle(const std::string& text) {
  const std::size_t angle = text.find('<');
  return angle == std::string::npos ? text : text.substr(angle);
}

// Sets the captured value; raw 8-bit bytes in it are the export's own text.
class HeaderWriter {
 public:
  HeaderWriter(mime::MailMessage& output, std::string_view exportCharset)
      : output_(output), exportCharset_(exportCharset) {}
  void operator()(std::string_view name, const CapturedValue& captured) {
    output_.SetFieldValue(name, captured.value,
                          HeaderCharsetFor(captured.value, captured.charset, exportCharset_));
  }

 private:
  mime::MailMessage& output_;
  std::string_view exportCharset_;
};

SourceValues CaptureAll(mime::MailMessage& source) {
  SourceValues v;
  v.subject = Capture(source, "Subject");
  v.sender = Capture(source, "From");
  v.recipients = Capture(source, "To");
  v.date = Capture(source, "Date");
  v.blindCopies = Capture(source, "BCC");
  v.copies = Capture(source, "CC");
  v.returnPath = Capture(source, "Return-Path");
  v.messageId = Capture(source, "Message-ID");
  v.priority = Capture(source, "X-Priority");
  v.mailer = Capture(source, "X-Mailer");
  v.folder = Capture(source, "X-CalypsoFolder");
  v.folder.value = WithoutQuotes(v.folder.value);
  v.account = Capture(source, "X-CalypsoAccount");
  v.htmlBody = Capture(source, "X-CalypsoHtmlBody");
  v.replyTo = Capture(source, "Reply-To");
  v.inReplyTo = Capture(source, "In-Reply-To");
  v.references = Capture(source, "References");
  return v;
}

void BuildHeader(const SourceValues& v, const std::string& unquotedSender,
                 mime::MailMessage& output, std::string_view exportCharset,
                 std::string_view boundary) {
  HeaderWriter set(output, exportCharset);
  set("To", v.recipients);
  // The From field keeps the display name's quotes: without them "Doe, John" reads as two names.
  set("From", v.sender);
  if (!v.copies.value.empty()) set("CC", v.copies);
  if (!v.blindCopies.value.empty()) set("BCC", v.blindCopies);
  set("Subject", v.subject);
  output.SetFieldValue("MIME-Version", "1.0");
  output.SetFieldValue("Content-Type", "multipart/mixed");
  if (boundary.empty()) {
    output.SetBoundary();
  } else {
    output.SetBoundary(boundary);
  }
  set("X-Account-Key", v.account);
  set("X-CalypsoFolder", v.folder);
  set("Return-Path", v.returnPath);
  set("Message-ID", v.messageId);
  set("X-Priority", v.priority);
  set("X-Mailer", v.mailer);
  // Thunderbird only takes four hex digits here, followed by the second status field.
  output.SetFieldValue("X-Mozilla-Status", "0000");
  output.SetFieldValue("X-Mozilla-Status2", "00000000");
  // A fold here would break the separator line a reader builds from this field.
  set("X-Envelope-From", {Unfolded(FromFirstAngle(unquotedSender)), v.sender.charset});
  set("X-Envelope-To", {FromFirstAngle(v.recipients.value), v.recipients.charset});
  // Replies and threads hang on these; each only when the source has it.
  if (v.replyTo.present) set("Reply-To", v.replyTo);
  if (v.inReplyTo.present) set("In-Reply-To", v.inReplyTo);
  if (v.references.present) set("References", v.references);
}

// The first line, the Calypso separator line, without its line end.
std::string_view FirstLine(std::string_view messageText) {
  return messageText.substr(0, messageText.find("\r\n"));
}

// Without a date of its own a message would show the time of the import in Thunderbird; the
// Calypso separator line has the date the message came.
std::string DateOf(const std::string& captured, const std::optional<CalypsoDate>& exportDate) {
  if (captured.find_first_not_of(" \t\r\n") != std::string::npos) return captured;
  return exportDate ? MessageDateText(*exportDate) : captured;
}

void SetEnvelope(std::string_view sender, std::string_view calypsoSeparatorLine,
                 ConvertedMessage& converted) {
  converted.envelopeSender = EnvelopeAddress(sender);
  converted.exportDate = ParseCalypsoDate(calypsoSeparatorLine);
}

// Leaves out, and reports, the attached files that would take the message past the largest size
// it may have; returns the store length then. Parts before `firstAttachment` hold the message's
// own text and parts: they are never left out.
std::int64_t FitStoreLength(mime::MailMessage& output, std::size_t firstAttachment,
                            ReferencedFiles& files, int maxStoreLength) {
  // The most the stored message takes; -1 when it is beyond what the library counts.
  const auto storeBound = [&]() -> std::int64_t {
    const int stored = output.GetStoreLength();
    return stored < 0 ? -1 : stored + files.UnreadBytes(output);
  };
  std::int64_t bound = storeBound();
  while ((bound < 0 || bound > maxStoreLength) && output.Children().size() > firstAttachment) {
    const mime::MimePart* last = output.Children().back().get();
    files.ReportMissing(last->GetName());
    output.ErasePart(last);
    bound = storeBound();
  }
  return bound;
}

// What a message whose whole text cannot be held can still tell: its header block alone.
SourceValues HeaderValuesOf(std::string_view messageText) {
  mime::MailMessage header;
  const std::string_view block = HeaderBlock(messageText);
  if (block.size() < mime::kMaxTextLength) header.PartHeader::Load(block);
  return CaptureAll(header);
}

}  // namespace

MessageConverter::MessageConverter(std::vector<std::string> searchFolders, ExportEncoding* encoding)
    : encoding_(encoding),
      exportCharset_(ExportTextCharset(encoding != nullptr ? encoding->CodePage()
                                                           : std::string(kDefaultExportCodePage))),
      files_(std::move(searchFolders), encoding, findings_) {}

std::string MessageConverter::Shown(const std::string& text, const std::string& charset) const {
  return encoding_ == nullptr ? text : encoding_->ToSystemText(text, charset);
}

// A message the converter cannot hold goes into its file as it stood in the export, and is
// reported: it is never written with less than the export had.
ConvertedMessage MessageConverter::ConvertMessage(MessageText messageText,
                                                  std::string_view boundary) {
  files_.NewMessage();
  ConvertedMessage converted;
  std::string_view shortfall;
  try {
    shortfall = Convert(messageText, boundary, converted);
  } catch (const std::bad_alloc&) {
    shortfall = kNoMemory;
  }
  if (shortfall.empty()) return converted;
  return AsItStood(std::move(messageText), shortfall);
}

void MessageConverter::BeginMessage(const std::string& subject, const std::string& charset,
                                    const std::string& folder, ConvertedMessage& converted) {
  // A long subject is folded over lines in the header; shown, it is one line.
  const std::string shown = Unfolded(std::string_view(subject).substr(0, kLongestShownSubject));
  converted.subject = Shown(shown, charset);
  if (subject.size() > kLongestShownSubject) converted.subject += "...";
  findings_.BeginMessage(Shown(folder), converted.subject);
}

// Each text is let go as soon as it is no longer needed, so that a large message costs a few
// times its size at most: the source message read from the export's text and the new message
// are not both held whole. The export's text stays until the new message is stored, for a
// message that cannot be. Empty, or why the message could not be converted.
std::string_view MessageConverter::Convert(const MessageText& messageText,
                                           std::string_view boundary, ConvertedMessage& converted) {
  mime::MailMessage output;
  {
    // The library takes no more than maxSourceLength_; within it, a load fails only for memory.
    if (messageText.size() > maxSourceLength_) return kTooLarge;
    mime::MailMessage source;
    if (source.Load(messageText) < 0) return kNoMemory;
    const SourceValues values = CaptureAll(source);
    BeginMessage(values.subject.value, values.subject.charset, values.folder.value, converted);
    if (source.NestingCut()) findings_.MessageProblem(std::string(Tr(kNestedTooDeep)));

    const std::string unquotedSender = WithoutQuotes(values.sender.value);
    SetEnvelope(Unfolded(unquotedSender), FirstLine(messageText), converted);
    converted.dateField = DateOf(values.date.value, converted.exportDate);
    BuildHeader(values, unquotedSender, output, exportCharset_, boundary);
    AddBodyParts(source, messageText, output, values.htmlBody.value, files_, exportCharset_);
  }
  const std::size_t firstAttachment = output.Children().size();
  AddAttachments(messageText, output, files_, exportCharset_);

  const std::int64_t bound = FitStoreLength(output, firstAttachment, files_, maxStoreLength_);
  if (bound < 0 || bound > maxStoreLength_) return kTooLarge;
  if (files_.Measuring()) return Measured(converted);
  converted.text = Stored("Date: " + converted.dateField + "\r\n", output, static_cast<int>(bound));
  if (converted.text.empty()) return kNotStored;
  ToCrLfLines(converted.text);
  converted.findings = findings_.Take();
  return {};
}

ConvertedMessage MessageConverter::AsItStood(MessageText messageText, std::string_view shortfall) {
  ConvertedMessage converted;
  const SourceValues values = HeaderValuesOf(messageText);
  BeginMessage(values.subject.value, values.subject.charset, values.folder.value, converted);
  findings_.MessageProblem(std::string(Tr(shortfall)));
  if (files_.Measuring()) {
    Measured(converted);
    return converted;
  }
  SetEnvelope(Unfolded(WithoutQuotes(values.sender.value)), FirstLine(messageText), converted);
  converted.dateField = Unfolded(values.date.value);
  // The export's own separator line is no part of the message.
  converted.text = std::move(messageText);
  const std::size_t firstLine = FirstLine(converted.text).size();
  converted.text.erase(0, std::min(converted.text.size(), firstLine + 2));
  ToCrLfLines(converted.text);
  converted.findings = findings_.Take();
  return converted;
}

// A message only looked at is not stored: what it would bring is all there is.
std::string_view MessageConverter::Measured(ConvertedMessage& converted) {
  converted.findings = findings_.Take();
  return {};
}

// The date line, then the stored message right behind it, with room for the CRs a lone LF
// gets; empty when the message could not be stored.
std::string MessageConverter::Stored(const std::string& lead, const mime::MailMessage& output,
                                     int bound) {
  const std::size_t size = lead.size() + static_cast<std::size_t>(bound);
  std::string text;
  text.reserve(size + size / 64 + 2);
  text.resize(size);
  std::memcpy(text.data(), lead.data(), lead.size());
  const int written = bound > 0 ? output.Store(text.data() + lead.size(), bound) : 0;
  if (written <= 0) return {};
  text.resize(lead.size() + static_cast<std::size_t>(written));
  return text;
}

}  // namespace vandrel
