// The file dialogs of "Get Mailbox" and "Set Output", behind an interface so that the dialog's
// behaviour can be driven without a modal window.
#pragma once

#include <QString>

#include <optional>

#include "ui/qt/file_request.h"

class QWidget;

namespace vandrel {

class FileChooser {
 public:
  virtual ~FileChooser() = default;

  // The chosen full path, or nothing when the user cancelled.
  virtual std::optional<QString> Choose(QWidget* owner, const FileRequest& request) = 0;
};

}  // namespace vandrel
