// File dialogs from QFileDialog.
#pragma once

#include <QFileDialog>

#include <memory>

#include "ui/qt/file_chooser.h"

namespace vandrel {

class QtFileChooser : public FileChooser {
 public:
  enum class Dialogs { Native, QtOwn };

  explicit QtFileChooser(Dialogs dialogs = Dialogs::Native) : dialogs_(dialogs) {}

  std::optional<QString> Choose(QWidget* owner, const FileRequest& request) override;

  // The dialog as Choose shows it.
  std::unique_ptr<QFileDialog> CreateDialog(QWidget* owner, const FileRequest& request) const;

 private:
  Dialogs dialogs_;
};

}  // namespace vandrel
