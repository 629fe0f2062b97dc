#include <cstdlib>

#include "texts/language.h"

namespace vandrel {

Language SystemLanguage() {
  return LanguageOfLocaleVariables([](std::string_view name) -> std::optional<std::string> {
    const char* value = std::getenv(std::string(name).c_str());
    if (value == nullptr) return std::nullopt;
    return std::string(value);
  });
}

}  // namespace vandrel
