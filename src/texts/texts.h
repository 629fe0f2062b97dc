// Every text Vandrel shows goes through here. The English text is the key; the German catalog
// (po/de.po, compiled by msgfmt and built into the program) gives its translation. Texts are
// marked for xgettext by Tr, TrN, TrC and TrNoop, so scripts/update-translations finds them.
#pragma once

#include <array>
#include <concepts>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "texts/language.h"

namespace vandrel {

// The language texts come out in: the system's, until UseLanguage chose another.
Language CurrentLanguage();
void UseLanguage(Language language);

// The text in the current language. The English text must be a literal (it is returned as it
// is in English).
std::string_view Tr(std::string_view english);

// The same, for a short text that needs its context to be translated right ("button", "Exit").
std::string_view TrC(std::string_view context, std::string_view english);

// The singular or plural form for the count n.
std::string_view TrN(std::string_view singular, std::string_view plural, std::uint64_t n);

// Marks a text that a table holds, translated later by Tr where it is shown.
constexpr std::string_view TrNoop(std::string_view english) {
  return english;
}

// The pattern with each %1 to %9 replaced by the value of that number. Replacements are not
// read again, so a value that holds "%2" stays as it is.
std::string FormatText(std::string_view pattern, std::span<const std::string> values);

template <typename T>
std::string TextOf(const T& value) {
  if constexpr (std::integral<T>) {
    return std::to_string(value);
  } else {
    return std::string(std::string_view(value));
  }
}

// FormatText for values of any kind: numbers are written in decimal.
template <typename... Values>
std::string Format(std::string_view pattern, const Values&... values) {
  const std::array<std::string, sizeof...(Values)> texts = {TextOf(values)...};
  return FormatText(pattern, texts);
}

}  // namespace vandrel
