// What the activity log needs from the box that shows it.
#pragma once

#include <string_view>

namespace vandrel {

// Implemented by each user interface. The log calls it from the worker thread only; an
// implementation that lives on another thread marshals each call and returns once it is done.
class LogView {
 public:
  virtual ~LogView() = default;

  virtual bool IsEmpty() const = 0;

  // Appends the bytes as given and brings the last line into view.
  virtual void AppendAndScroll(std::string_view text) = 0;
};

}  // namespace vandrel
