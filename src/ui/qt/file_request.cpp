#include "ui/qt/file_request.h"

#include <algorithm>

namespace vandrel {
namespace {

// "*" rather than Windows' "*.*": here "*.*" would hide every file without a dot in its name.
const QString kAllFiles = QStringLiteral("All Files (*)");

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
                     {QStringLiteral("Mailbox Files (*.txt)"), kAllFiles},
                     QStringLiteral("txt")};
}

FileRequest OutputFileRequest(const QString& currentText) {
  return FileRequest{FileRequest::Mode::Save,
                     FolderOfPath(currentText),
                     {QStringLiteral("Mailbox Files (*.mbx)"), kAllFiles},
                     QStringLiteral("mbx")};
}

FileRequest OutputFolderRequest(const QString& currentText) {
  return FileRequest{FileRequest::Mode::Folder, currentText, {}, {}};
}

}  // namespace vandrel
