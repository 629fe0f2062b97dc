// The status line and the progress bar as the engine sees them. Called from the worker thread;
// the latest text, range and position are kept and handed to the GUI thread, which shows them.
// The worker never waits for the GUI thread, and the widgets change at most about once per
// screen refresh: updates in between replace each other, so the eye may miss a step, but what
// the widgets end up showing is exactly the last state.
#pragma once

#include <QObject>
#include <QTimer>

#include <mutex>
#include <string>
#include <string_view>

#include "engine/status_sink.h"

class QLineEdit;
class QProgressBar;

namespace vandrel {

class QtStatusSink : public QObject, public StatusSink {
 public:
  // Lives on the GUI thread, like the widgets.
  QtStatusSink(QLineEdit* statusLine, QProgressBar* progressBar);

  void SetStatusText(std::string_view text) override;
  void SetProgressRange(int maximum) override;
  void SetProgressPosition(int position) override;
  void StepProgress() override;

  // Shows what is waiting. GUI thread only.
  void Flush();

 private:
  struct State {
    std::string text;
    // A fresh progress bar runs from 0 to 100 and stands at 0.
    int maximum = 100;
    int position = 0;
    bool textChanged = false;
    bool rangeChanged = false;
    bool positionChanged = false;
  };

  // Runs `change` on the state and queues a flush unless one is queued already.
  template <typename Change>
  void Update(Change change);
  // On the GUI thread: updates are waiting; they are shown at the next tick of the screen.
  void ScheduleFlush();

  QLineEdit* statusLine_;
  QProgressBar* progressBar_;
  std::mutex mutex_;
  State state_;               // guarded by mutex_
  bool flushQueued_ = false;  // guarded by mutex_
  QTimer flushTimer_;
};

}  // namespace vandrel
