// The application: shows the main dialog and ends the program when it closes.
#pragma once

#include <QApplication>
#include <QTranslator>

namespace vandrel {

class MainDialog;

class ConverterApp : public QApplication {
 public:
  ConverterApp(int& argc, char** argv);

  // Shows a new main dialog; returns the exit status once it is closed.
  int Run();
  // Shows `dialog` modally; returns the exit status once it is closed (after a run in progress
  // was stopped and had cleaned up).
  int Exec(MainDialog& dialog);

 private:
  QTranslator qtTexts_;  // Qt's own texts in our language
};

}  // namespace vandrel
