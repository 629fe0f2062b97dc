#include "ui/qt/qt_information_box.h"

#include <QMessageBox>
#include <QThread>

#include "ui/qt/display_text.h"

namespace vandrel {

void QtInformationBox::ShowInformation(std::string_view title, std::string_view text) {
  const QString shownTitle = DisplayText(title);
  const QString shownText = DisplayText(text);
  auto show = [this, &shownTitle, &shownText] {
    QMessageBox::information(owner_, shownTitle, shownText);
  };
  if (QThread::currentThread() == thread()) {
    show();
  } else {
    QMetaObject::invokeMethod(this, show, Qt::BlockingQueuedConnection);
  }
}

}  // namespace vandrel
