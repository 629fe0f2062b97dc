// Which language Vandrel speaks: the one the system asks for, English when it asks for one
// Vandrel has no texts in.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vandrel {

enum class Language { kEnglish, kGerman };

// An environment variable's value, or nothing when it is unset.
using EnvironmentLookup = std::function<std::optional<std::string>(std::string_view name)>;

// Reads the locale variables as GNU programs do: the locale of messages is the first set one of
// LC_ALL, LC_MESSAGES and LANG; when it is C or POSIX the answer is English whatever LANGUAGE
// says, otherwise LANGUAGE (a list such as "fr:de") is tried first, entry by entry.
Language LanguageOfLocaleVariables(const EnvironmentLookup& lookup);

// The language for a Windows language identifier (a LANGID).
Language LanguageOfWindowsLanguageId(std::uint16_t languageId);

// The language of a locale or language name such as "de_AT.UTF-8"; nothing for one without
// texts here.
std::optional<Language> LanguageOfLocaleName(std::string_view name);

// What this system asks for: the locale variables on POSIX systems, the user's interface
// language on Windows.
Language SystemLanguage();

}  // namespace vandrel
