#include <windows.h>

#include "texts/language.h"

namespace vandrel {

Language SystemLanguage() {
  return LanguageOfWindowsLanguageId(GetUserDefaultUILanguage());
}

}  // namespace vandrel
