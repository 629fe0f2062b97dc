// A modal information message box, shown on the GUI thread whichever thread asks for it.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <mutex>

#include "log/information_box.h"

namespace vandrel {

class QtInformationBox : public QObject, public InformationBox {
 public:
  // Lives on the GUI thread; the box is modal to `owner` (the whole application when null).
  explicit QtInformationBox(QWidget* owner = nullptr) : owner_(owner) {}

  // From another thread, waits until the user has closed the box.
  void ShowInformation(std::string_view title, std::string_view text) override;

 private:
  QPointer<QWidget> owner_;
  // Qt's queue already orders a box's texts between the threads; this shows that order to
  // ThreadSanitizer, which cannot look inside Qt.
  std::mutex handOver_;
};

}  // namespace vandrel
