#include "ui/qt/qt_information_box.h"

#include <QMessageBox>
#include <QThread>

#include "ui/qt/display_text.h"

namespace vandrel {

void QtInformationBox::ShowInformation(std::string_view title, std::string_view text) {
  if (QThread::currentThread() == thread()) {
    QMessageBox::information(owner_, DisplayText(title), DisplayLines(text));
    return;
  }
  QString shownTitle;
  QString shownText;
  {
    const std::lock_guard<std::mutex> lock(handOver_);
    shownTitle = DisplayText(title);
    shownText = DisplayLines(text);
  }
  auto show = [&] {
    const std::lock_guard<std::mutex> lock(handOver_);
    QMessageBox::information(owner_, shownTitle, shownText);
  };
  QMetaObject::invokeMethod(this, show, Qt::BlockingQueuedConnection);
  const std::lock_guard<std::mutex> shown(handOver_);
}

}  // namespace vandrel
