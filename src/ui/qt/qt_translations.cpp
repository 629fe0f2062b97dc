#include "ui/qt/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace vandrel {

bool InstallQtTranslations(QTranslator& translator, Language language) {
  if (language != Language::kGerman) return false;
  // qtbase_de.qm, of Debian's qt6-translations-l10n; named outright, since the system's locale
  // need not be the language our texts chose.
  if (!translator.load(QStringLiteral("qtbase_de"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    return false;
  }
  return QCoreApplication::installTranslator(&translator);
}

}  // namespace vandrel
