// The application: the common controls, then the main dialog, shown modally; its end is the
// program's end.
#pragma once

#include <windows.h>

namespace vandrel {

class ConverterApp {
 public:
  explicit ConverterApp(HINSTANCE instance) : instance_(instance) {}
  // The program's exit status.
  int Run();

 private:
  HINSTANCE instance_;
};

}  // namespace vandrel
