#include "ui/qt/converter_app.h"

#include <csignal>
#include <cstdlib>

#include "log/activity_log.h"
#include "ui/qt/app_icon.h"
#include "ui/qt/main_dialog.h"
#include "vandrel/version.h"

namespace vandrel {

ConverterApp::ConverterApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QLatin1String(kApplicationName.data(), kApplicationName.size()));
  setApplicationVersion(QStringLiteral(VANDREL_VERSION));
  setDesktopFileName(QStringLiteral("org.vandrel.Vandrel"));
  setWindowIcon(AppIcon());
#ifdef SIGXFSZ
  // A file-size limit must end the run with an error line, not kill the window.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
}

int ConverterApp::Run() {
  MainDialog dialog;
  return Exec(dialog);
}

int ConverterApp::Exec(MainDialog& dialog) {
  dialog.exec();
  // The dialog's job would wait for its worker when destroyed. quick_exit skips every destructor
  // and static cleanup, so the worker stops where it is and nothing is torn down under it.
  if (dialog.IsConverting()) std::quick_exit(0);
  return 0;
}

}  // namespace vandrel
