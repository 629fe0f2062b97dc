// Qt's own texts (the file dialogs, the standard buttons, the edits' context menus) in the
// language our own texts are in, from the translations Qt installs beside itself.
#pragma once

#include <QTranslator>

#include "texts/language.h"

namespace vandrel {

// Loads Qt's translation for `language` into `translator` and installs it in the application.
// False for English, Qt's own language, and when the translation is not installed: Qt's texts
// then stay English.
bool InstallQtTranslations(QTranslator& translator, Language language);

}  // namespace vandrel
