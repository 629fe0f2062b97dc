// What "Get Mailbox" and "Set Output" ask of a file dialog.
#pragma once

#include <QString>
#include <QStringList>

namespace vandrel {

struct FileRequest {
  enum class Mode { Open, Save, Folder };

  Mode mode = Mode::Open;
  QString folder;  // where the dialog opens; empty: the platform's default
  QStringList filters;
  QString defaultSuffix;  // added to a typed name without one
};

// The folder part of a path as typed in an edit: everything before the last "\" or "/". Empty
// when there is none; "/" for a file directly in the root.
QString FolderOfPath(const QString& path);

// Opening an exported mailbox, starting in the folder of the edit's current text.
FileRequest MailboxFileRequest(const QString& currentText);
// Choosing the output name; the dialog asks before an existing file is replaced.
FileRequest OutputFileRequest(const QString& currentText);
// Choosing an existing folder as the output, starting at the edit's current text.
FileRequest OutputFolderRequest(const QString& currentText);

}  // namespace vandrel
