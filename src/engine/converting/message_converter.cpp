#include "engine/converting/message_converter.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/converting/attachment_parts.h"
#include "engine/converting/body_parts.h"
#include "engine/converting/header_charset.h"
#include "engine/writing/mbox_text.h"
#include "mime/mime_part.h"

namespace vandrel {

namespace {

struct CapturedValue {
  std::string value;
  std::string charset;  // of the source field, as its encoded words named it
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

CapturedValue Capture(const mime::MailMessage& source, std::string_view name) {
  const mime::HeaderField* field = source.GetField(name);
  if (field == nullptr) return {};
  return {WithoutLoneLineBreaks(field->value), field->charset};
}

// The text from its first "<" to the end; all of it when it holds no "<".
std::string FromFirstAngle(const std::string& text) {
  const std::size_t angle = text.find('<');
  return angle == std::string::npos ? text : text.substr(angle);
}

void Set(mime::MailMessage& output, std::string_view name, const CapturedValue& captured) {
  output.SetFieldValue(name, captured.value, HeaderCharsetFor(captured.value, captured.charset));
}

struct SourceValues {
  CapturedValue subject, sender, recipients, date, blindCopies, copies, returnPath, messageId,
      priority, mailer, folder, account, htmlBody;
};

SourceValues CaptureAll(const mime::MailMessage& source) {
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
  return v;
}

void BuildHeader(const SourceValues& v, const std::string& unquotedSender,
                 mime::MailMessage& output) {
  Set(output, "To", v.recipients);
  // The From field keeps the display name's quotes: without them "Doe, John" reads as two names.
  Set(output, "From", v.sender);
  if (!v.copies.value.empty()) Set(output, "CC", v.copies);
  if (!v.blindCopies.value.empty()) Set(output, "BCC", v.blindCopies);
  Set(output, "Subject", v.subject);
  output.SetFieldValue("MIME-Version", "1.0");
  output.SetFieldValue("Content-Type", "multipart/mixed");
  output.SetBoundary();
  Set(output, "X-Account-Key", v.account);
  Set(output, "X-CalypsoFolder", v.folder);
  Set(output, "Return-Path", v.returnPath);
  Set(output, "Message-ID", v.messageId);
  Set(output, "X-Priority", v.priority);
  Set(output, "X-Mailer", v.mailer);
  // Thunderbird only takes four hex digits here, followed by the second status field.
  output.SetFieldValue("X-Mozilla-Status", "0000");
  output.SetFieldValue("X-Mozilla-Status2", "00000000");
  Set(output, "X-Envelope-From", {FromFirstAngle(unquotedSender), v.sender.charset});
  Set(output, "X-Envelope-To", {FromFirstAngle(v.recipients.value), v.recipients.charset});
}

// Leaves out, and reports, the parts that would take the message past the library's sizes;
// returns the store length then.
int FitStoreLength(mime::MailMessage& output, ReferencedFiles& files) {
  int bound = output.GetStoreLength();
  while (bound < 0 && output.Children().size() > 1) {
    const mime::MimePart* last = output.Children().back().get();
    files.ReportMissing(last->GetName());
    output.ErasePart(last);
    bound = output.GetStoreLength();
  }
  return bound;
}

}  // namespace

char* MessageConverter::ScratchBuffer::Reserve(std::size_t size) {
  if (size > capacity_) {
    bytes_ = std::make_unique_for_overwrite<char[]>(size);
    capacity_ = size;
  }
  return bytes_.get();
}

MessageConverter::MessageConverter(std::vector<std::string> searchFolders, ExportEncoding* encoding)
    : encoding_(encoding), files_(std::move(searchFolders), encoding) {}

std::string MessageConverter::Shown(const std::string& text, const std::string& charset) const {
  return encoding_ == nullptr ? text : encoding_->ToSystemText(text, charset);
}

std::string MessageConverter::ConvertMessage(std::string_view messageText, StatusLine& status) {
  mime::MailMessage source;
  source.Load(messageText);
  const SourceValues values = CaptureAll(source);
  const std::string subject = Shown(values.subject.value, values.subject.charset);
  status.Append(" " + subject);
  files_.BeginMessage(Shown(values.folder.value), subject);

  const std::string unquotedSender = WithoutQuotes(values.sender.value);
  mime::MailMessage output;
  BuildHeader(values, unquotedSender, output);
  AddBodyParts(source, output, values.htmlBody.value, files_);
  AddAttachments(messageText, output, files_);

  // The separator and date lines, then the stored message right behind them in one buffer.
  const std::string lead = "From " + unquotedSender + "\nDate: " + values.date.value + "\n";
  const int bound = std::max(FitStoreLength(output, files_), 0);
  char* text = scratch_.Reserve(lead.size() + static_cast<std::size_t>(bound));
  std::memcpy(text, lead.data(), lead.size());
  const int written = bound > 0 ? output.Store(text + lead.size(), bound) : 0;
  return ToMboxText(
      std::string_view(text, lead.size() + static_cast<std::size_t>(std::max(written, 0))));
}

}  // namespace vandrel
