#include "ui/qt/qt_log_view.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>

#include "ui/qt/display_text.h"

namespace vandrel {

QtLogView::QtLogView(QPlainTextEdit* edit) : edit_(edit), empty_(edit->document()->isEmpty()) {}

void QtLogView::AppendAndScroll(std::string_view text) {
  if (!text.empty()) empty_ = false;
  bool queue = false;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    pending_.append(text);
    queue = !flushQueued_;
    flushQueued_ = true;
  }
  if (queue) QMetaObject::invokeMethod(this, &QtLogView::Flush, Qt::QueuedConnection);
}

void QtLogView::Flush() {
  std::string text;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    text.swap(pending_);
    flushQueued_ = false;
  }
  if (text.empty()) return;
  QTextCursor end(edit_->document());
  end.movePosition(QTextCursor::End);
  end.insertText(DisplayLogText(text));
  QScrollBar* bar = edit_->verticalScrollBar();
  bar->setValue(bar->maximum());
}

}  // namespace vandrel
