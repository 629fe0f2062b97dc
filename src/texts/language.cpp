#include "texts/language.h"

namespace vandrel {
namespace {

bool IsPlainCLocale(std::string_view name) {
  const std::string_view base = name.substr(0, name.find_first_of(".@"));
  return base == "C" || base == "POSIX";
}

}  // namespace

std::optional<Language> LanguageOfLocaleName(std::string_view name) {
  const std::string_view language = name.substr(0, name.find_first_of("_.@-"));
  if (language == "de") return Language::kGerman;
  if (language == "en") return Language::kEnglish;
  return std::nullopt;
}

Language LanguageOfLocaleVariables(const EnvironmentLookup& lookup) {
  std::string locale;
  for (const std::string_view name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const std::optional<std::string> value = lookup(name);
    if (value && !value->empty()) {
      locale = *value;
      break;
    }
  }
  if (locale.empty() || IsPlainCLocale(locale)) return Language::kEnglish;

  // GNU gettext reads LANGUAGE only for a real locale, and never falls back to the locale's own
  // language from there: "fr" alone gives the untranslated texts.
  const std::optional<std::string> list = lookup("LANGUAGE");
  if (list && !list->empty()) {
    std::string_view rest = *list;
    while (!rest.empty()) {
      const std::size_t colon = rest.find(':');
      const std::optional<Language> language = LanguageOfLocaleName(rest.substr(0, colon));
      if (language) return *language;
      rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
    return Language::kEnglish;
  }
  return LanguageOfLocaleName(locale).value_or(Language::kEnglish);
}

Language LanguageOfWindowsLanguageId(std::uint16_t languageId) {
  constexpr std::uint16_t kPrimaryLanguageMask = 0x3ff;
  constexpr std::uint16_t kGermanPrimaryLanguage = 0x07;  // LANG_GERMAN
  return (languageId & kPrimaryLanguageMask) == kGermanPrimaryLanguage ? Language::kGerman
                                                                       : Language::kEnglish;
}

}  // namespace vandrel
