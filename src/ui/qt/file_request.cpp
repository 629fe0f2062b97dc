#include "ui/qt/file_request.h"

#include <algorithm>

#include "texts/texts.h"
#include "ui/qt/display_text.h"

namespace vandrel {
namespace {

// "*" rather than Windows' "*.*": here "*.*" would hide every file without a dot in its name.
QString AllFiles() {
  return CatalogText(Format(Tr("All Files (%1)"), "*"));
}

QString MailboxFiles(std::string_view pattern) {
  // Translators: %1 is a pattern of file names, such as *.txt.
  return CatalogText(Format(Tr("Mailbox Files (%1)"), pattern));
}

}  // namespace

QString FolderOfPath(const QString& path) {
  const qsizetype separator =
      std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
  if (separator < 0) return {};
  if (separator == 0 && path.startsWith(QLatin1Char('/'))) return QStringLiteral("/");
  return path.left(separator);
}

FileRequest MailboxFileRequest(const QString& currentText) {
  return FileRequest{FileRequest::Mode::Open,
                     FolderOfPath(currentText),
                     {MailboxFiles("*.txt"), AllFiles()},
                     QStringLiteral("txt")};
}

FileRequest OutputFileRequest(const QString& currentText) {
  return FileRequest{FileRequest::Mode::Save,
                     FolderOfPath(currentText),
                     {MailboxFiles("*.mbx"), AllFiles()},
                     QStringLiteral("mbx")};
}

FileRequest OutputFolderRequest(const QString& currentText) {
  return FileRequest{FileRequest::Mode::Folder, currentText, {}, {}};
}

}  // namespace vandrel
