#include "texts/language.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace vandrel {
namespace {

Language LanguageFor(const std::map<std::string, std::string>& variables) {
  return LanguageOfLocaleVariables([&](std::string_view name) -> std::optional<std::string> {
    const auto found = variables.find(std::string(name));
    if (found == variables.end()) return std::nullopt;
    return found->second;
  });
}

TEST(LanguageTest, LocaleVariablesAreReadInGnuOrder) {
  constexpr Language en = Language::kEnglish;
  constexpr Language de = Language::kGerman;
  const struct {
    std::map<std::string, std::string> variables;
    Language expected;
  } cases[] = {
      {{}, en},
      {{{"LANG", "de_DE.UTF-8"}}, de},
      {{{"LANG", "de_AT@euro"}}, de},
      {{{"LANG", "de"}}, de},
      {{{"LANG", "en_US.UTF-8"}}, en},
      {{{"LANG", "fr_FR.UTF-8"}}, en},
      {{{"LANG", "deu"}}, en},
      {{{"LANG", "de_DE.UTF-8"}, {"LC_MESSAGES", "en_GB.UTF-8"}}, en},
      {{{"LANG", "en_US.UTF-8"}, {"LC_MESSAGES", "de_CH.UTF-8"}}, de},
      {{{"LC_MESSAGES", "de_DE.UTF-8"}, {"LC_ALL", "en_US.UTF-8"}}, en},
      {{{"LC_ALL", "de_DE.UTF-8"}, {"LANG", "en_US.UTF-8"}}, de},
      // An empty variable counts as unset.
      {{{"LC_ALL", ""}, {"LANG", "de_DE.UTF-8"}}, de},
      // The C locale means untranslated texts, whatever LANGUAGE says.
      {{{"LC_ALL", "C"}, {"LANG", "de_DE.UTF-8"}}, en},
      {{{"LC_ALL", "C.UTF-8"}, {"LANGUAGE", "de"}}, en},
      {{{"LANG", "POSIX"}, {"LANGUAGE", "de"}}, en},
      {{{"LANGUAGE", "de"}}, en},
      // LANGUAGE is a list tried in order, and goes before the locale's own language.
      {{{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "de"}}, de},
      {{{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "fr:de_DE:en"}}, de},
      {{{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "en:de"}}, en},
      {{{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "fr"}}, en},
      {{{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", ""}}, de},
      {{{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "::de"}}, de},
  };
  for (const auto& c : cases) {
    std::string shown;
    for (const auto& [name, value] : c.variables)
      shown += name + "=" + value + " ";
    EXPECT_EQ(LanguageFor(c.variables), c.expected) << shown;
  }
}

TEST(LanguageTest, WindowsLanguageIdsGoByTheirPrimaryLanguage) {
  const struct {
    std::uint16_t id;
    Language expected;
  } cases[] = {
      {0x0407, Language::kGerman},   // Germany
      {0x0c07, Language::kGerman},   // Austria
      {0x0807, Language::kGerman},   // Switzerland
      {0x0409, Language::kEnglish},  // United States
      {0x040c, Language::kEnglish},  // French: no texts, so English
      {0x0000, Language::kEnglish}, {0x0007, Language::kGerman},
      {0x0417, Language::kEnglish},  // Romansh, whose id only shares bits with German's
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LanguageOfWindowsLanguageId(c.id), c.expected) << std::hex << c.id;
  }
}

}  // namespace
}  // namespace vandrel
