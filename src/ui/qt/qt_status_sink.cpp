#include "ui/qt/qt_status_sink.h"

#include <QLineEdit>
#include <QProgressBar>

#include <algorithm>

#include "ui/qt/display_text.h"

namespace vandrel {

namespace {

// The widgets change at most this often while a run reports: about a screen refresh. Showing
// every message of a big export would keep the GUI thread busy painting, for nobody to see.
constexpr int kFlushMilliseconds = 20;

}  // namespace

QtStatusSink::QtStatusSink(QLineEdit* statusLine, QProgressBar* progressBar)
    : statusLine_(statusLine), progressBar_(progressBar) {
  flushTimer_.setSingleShot(true);
  flushTimer_.setInterval(kFlushMilliseconds);
  connect(&flushTimer_, &QTimer::timeout, this, &QtStatusSink::Flush);
}

template <typename Change>
void QtStatusSink::Update(Change change) {
  bool queue = false;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    change(state_);
    queue = !flushQueued_;
    flushQueued_ = true;
  }
  if (queue) QMetaObject::invokeMethod(this, &QtStatusSink::ScheduleFlush, Qt::QueuedConnection);
}

void QtStatusSink::ScheduleFlush() {
  if (!flushTimer_.isActive()) flushTimer_.start();
}

void QtStatusSink::SetStatusText(std::string_view text) {
  Update([text](State& state) {
    state.text.assign(text);
    state.textChanged = true;
  });
}

// The position always stays within the range, as a progress bar keeps it.
void QtStatusSink::SetProgressRange(int maximum) {
  Update([maximum](State& state) {
    state.maximum = std::max(maximum, 0);
    state.position = std::clamp(state.position, 0, state.maximum);
    state.rangeChanged = state.positionChanged = true;
  });
}

void QtStatusSink::SetProgressPosition(int position) {
  Update([position](State& state) {
    state.position = std::clamp(position, 0, state.maximum);
    state.positionChanged = true;
  });
}

void QtStatusSink::StepProgress() {
  Update([](State& state) {
    if (state.position < state.maximum) ++state.position;
    state.positionChanged = true;
  });
}

void QtStatusSink::Flush() {
  flushTimer_.stop();
  State shown;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    shown = state_;
    state_.textChanged = state_.rangeChanged = state_.positionChanged = false;
    flushQueued_ = false;
  }
  // A range of 0 to 0 would make the bar a busy indicator; a run without messages shows an
  // empty bar instead.
  if (shown.rangeChanged) progressBar_->setRange(0, std::max(shown.maximum, 1));
  if (shown.positionChanged) progressBar_->setValue(shown.position);
  if (shown.textChanged) {
    statusLine_->setText(DisplayText(shown.text));
    statusLine_->setCursorPosition(0);  // a long status shows its start, where the count is
  }
}

}  // namespace vandrel
