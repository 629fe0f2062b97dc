#include "engine/export_check.h"

#include <memory>
#include <utility>

#include "engine/converting/message_converter.h"
#include "engine/reading/mailbox_reader.h"
#include "engine/request_parts.h"
#include "engine/status_line.h"
#include "engine/writing/output_names.h"

namespace vandrel {

ExportCheck CheckExport(const ConversionRequest& request, bool lookAtOutput, StatusSink* status) {
  ExportCheck check;
  const std::unique_ptr<ExportEncoding> encoding = EncodingFor(request);
  std::unique_ptr<OutputTarget> target;
  if (lookAtOutput) {
    target = TargetFor(request.output);
    check.error = target->Inspect();
    if (!check.error.empty()) target.reset();
  }
  MailboxReader reader;
  reader.SetEncoding(encoding.get());
  reader.SetStatusSink(status);
  if (!reader.LoadMailbox(request.inputPath)) {
    if (check.error.empty()) check.error = reader.ErrorMessage();
    return check;
  }
  check.messages = static_cast<std::size_t>(reader.MessageCount() - 1);
  MessageConverter converter(SearchFoldersFor(request), encoding.get());
  converter.MeasureOnly();
  StatusLine statusLine(status);
  const std::string total = std::to_string(check.messages);
  std::size_t number = 0;
  for (const FolderMap::Folder& folder : *reader.Folders()) {
    const std::string name = encoding->ToSystemText(folder.name);
    const std::string file = target ? target->FileFor(name, CleanFolderName(name)) : std::string();
    check.folders.push_back({name, folder.messages.size(), file});
    for (const MessageSpan& span : folder.messages) {
      statusLine.Set("checking (" + std::to_string(++number) + " of " + total + ")");
      MessageText text;
      if (!reader.ReadMessage(span, text)) {
        check.error = reader.ErrorMessage();
        return check;
      }
      check.findings.Add(converter.ConvertMessage(std::move(text)).findings);
    }
  }
  if (!reader.ExportUnchanged()) check.error = reader.ErrorMessage();
  check.filesFound = converter.FilesFound();
  statusLine.Set(check.error.empty() ? "ready" : "failed: see the log");
  return check;
}

}  // namespace vandrel
