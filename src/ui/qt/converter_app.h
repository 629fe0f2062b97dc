// The application: shows the main dialog and ends the program when it closes.
#pragma once

#include <QApplication>

namespace vandrel {

class MainDialog;

class ConverterApp : public QApplication {
 public:
  ConverterApp(int& argc, char** argv);

  // Shows a new main dialog; returns the exit status once it is closed.
  int Run();
  // Shows `dialog` modally; returns the exit status once it is closed. Closing it during a run
  // ends the process at once with status 0: the run is cut off and the file it was writing stays
  // incomplete, as the user asked to stop. Waiting for the worker instead could take minutes.
  int Exec(MainDialog& dialog);
};

}  // namespace vandrel
