#include "ui/qt/qt_file_chooser.h"

namespace vandrel {

std::optional<QString> QtFileChooser::Choose(QWidget* owner, const FileRequest& request) {
  const std::unique_ptr<QFileDialog> dialog = CreateDialog(owner, request);
  if (dialog->exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog->selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.front();
}

std::unique_ptr<QFileDialog> QtFileChooser::CreateDialog(QWidget* owner,
                                                         const FileRequest& request) const {
  auto dialog = std::make_unique<QFileDialog>(owner);
  dialog->setOption(QFileDialog::DontUseNativeDialog, dialogs_ == Dialogs::QtOwn);
  if (!request.folder.isEmpty()) dialog->setDirectory(request.folder);
  if (request.mode == FileRequest::Mode::Folder) {
    // What QFileDialog::getExistingDirectory shows, kept as an object the tests can look at.
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly, true);
    return dialog;
  }
  const bool save = request.mode == FileRequest::Mode::Save;
  dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  // An export that does not exist could not be converted, so only existing files are taken.
  dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog->setOption(QFileDialog::DontConfirmOverwrite, false);
  dialog->setNameFilters(request.filters);
  dialog->setDefaultSuffix(request.defaultSuffix);
  return dialog;
}

}  // namespace vandrel
