#include "ui/qt/converter_app.h"

#include <csignal>

#include "log/activity_log.h"
#include "texts/texts.h"
#include "ui/qt/app_icon.h"
#include "ui/qt/main_dialog.h"
#include "ui/qt/qt_translations.h"
#include "vandrel/version.h"

namespace vandrel {

ConverterApp::ConverterApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QLatin1String(kApplicationName.data(), kApplicationName.size()));
  setApplicationVersion(QStringLiteral(VANDREL_VERSION));
  setDesktopFileName(QStringLiteral("org.vandrel.Vandrel"));
  setWindowIcon(AppIcon());
  // The language is chosen once, here, before any widget exists, so that Qt's texts and ours
  // agree for the whole run.
  InstallQtTranslations(qtTexts_, CurrentLanguage());
#ifdef SIGXFSZ
  // A file-size limit must end the run with an error line, not kill the window.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
}

int ConverterApp::Run() {
  MainDialog dialog;
  return Exec(dialog);
}

// Closing the dialog during a run has stopped the run and waited for it to clean up.
int ConverterApp::Exec(MainDialog& dialog) {
  dialog.exec();
  return 0;
}

}  // namespace vandrel
