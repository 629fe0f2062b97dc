// vandrel_window_driver: drives the window offscreen, for the tests, the screenshot and the
// benchmark. Not installed.
//
//   vandrel_window_driver convert INPUT OUTPUT [PICTURE.png]
//       Converts through the window and prints the seconds from the click on "Convert" to the
//       last log line; saves a picture of the window then, and exits through "Exit".
//       Exit status 0 when the run wrote every folder (the status line then says "ready").
//   vandrel_window_driver exit-during-run INPUT OUTPUT
//       Clicks "Convert", prints "stopping" and clicks "Exit" while the run is in progress (the
//       caller holds the run, for instance with an export that is a pipe it keeps open, and lets
//       it go once it has read the line). Exit status 3 when the run had finished already.
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

#include "ui/qt/converter_app.h"
#include "ui/qt/main_dialog.h"

namespace {

constexpr int kUsageError = 2;
constexpr int kFinishedTooSoon = 3;

template <typename Widget>
Widget* Control(vandrel::MainDialog& dialog, const char* name) {
  return dialog.findChild<Widget*>(QString::fromLatin1(name));
}

}  // namespace

int main(int argc, char** argv) {
  vandrel::ConverterApp app(argc, argv);  // takes Qt's own options out of argv
  const QStringList args = QCoreApplication::arguments();
  const bool convert = args.size() >= 4 && args[1] == QLatin1String("convert");
  const bool exitDuringRun = args.size() == 4 && args[1] == QLatin1String("exit-during-run");
  if (!convert && !exitDuringRun) {
    std::fputs(
        "usage: vandrel_window_driver convert INPUT OUTPUT [PICTURE.png]\n"
        "       vandrel_window_driver exit-during-run INPUT OUTPUT\n",
        stderr);
    return kUsageError;
  }
  vandrel::MainDialog dialog;
  Control<QLineEdit>(dialog, "input")->setText(args[2]);
  Control<QLineEdit>(dialog, "output")->setText(args[3]);
  QPushButton* exitButton = Control<QPushButton>(dialog, "exit");

  QElapsedTimer clock;
  int result = 0;
  bool exitClicked = false;
  QObject::connect(&dialog, &vandrel::MainDialog::RunFinished, [&] {
    if (exitDuringRun) {
      // The run ends within the wait that "Exit" began; ending before that is too soon.
      if (!exitClicked) result = kFinishedTooSoon;
      return;
    }
    std::printf("%.3f\n", static_cast<double>(clock.nsecsElapsed()) / 1e9);
    if (args.size() > 4) dialog.grab().save(args[4], "PNG");
    result = dialog.LastRunSucceeded() ? 0 : 1;
    exitButton->click();
  });
  QTimer::singleShot(0, [&] {
    clock.start();
    Control<QPushButton>(dialog, "convert")->click();
    if (exitDuringRun) {
      if (!dialog.IsConverting()) result = kFinishedTooSoon;
      // Said from within the wait that "Exit" begins, so only once the run was asked to stop.
      QTimer::singleShot(0, [] {
        std::puts("stopping");
        std::fflush(stdout);
      });
      exitClicked = true;
      exitButton->click();  // waits, handling events, until the run has cleaned up
    }
  });
  const int exitStatus = app.Exec(dialog);
  return exitStatus != 0 ? exitStatus : result;
}
