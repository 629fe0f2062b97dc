// The log box as the activity log sees it. The log calls it from the worker thread; the texts
// are collected and handed to the GUI thread, which appends them in order. The worker never
// waits for the GUI thread: what arrives while an append is still queued joins that append.
#pragma once

#include <QObject>

#include <atomic>
#include <mutex>
#include <string>
#include <string_view>

#include "log/log_view.h"

class QPlainTextEdit;

namespace vandrel {

class QtLogView : public QObject, public LogView {
 public:
  // Lives on the GUI thread, like the edit.
  explicit QtLogView(QPlainTextEdit* edit);

  // Answered from the texts handed in so far, without asking the GUI thread.
  bool IsEmpty() const override { return empty_.load(); }
  void AppendAndScroll(std::string_view text) override;

  // Appends what is waiting and scrolls to the last line. GUI thread only.
  void Flush();

 private:
  QPlainTextEdit* edit_;
  std::atomic<bool> empty_;
  std::mutex mutex_;
  std::string pending_;       // guarded by mutex_
  bool flushQueued_ = false;  // guarded by mutex_
};

}  // namespace vandrel
