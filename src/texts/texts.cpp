#include "texts/texts.h"

#include <atomic>
#include <optional>

#include "texts/german_catalog.h"
#include "texts/message_catalog.h"

namespace vandrel {
namespace {

constexpr int kNotChosenYet = -1;
std::atomic<int> chosenLanguage{kNotChosenYet};

const MessageCatalog& GermanCatalog() {
  static const MessageCatalog catalog(GermanCatalogBytes());
  return catalog;
}

// Both languages have the same two forms: one, and every other count.
std::size_t PluralForm(std::uint64_t n) {
  return n == 1 ? 0 : 1;
}

std::string ContextKey(std::string_view context, std::string_view english) {
  std::string key(context);
  key += '\x04';
  key += english;
  return key;
}

}  // namespace

Language CurrentLanguage() {
  int language = chosenLanguage.load(std::memory_order_acquire);
  if (language == kNotChosenYet) {
    language = static_cast<int>(SystemLanguage());
    int expected = kNotChosenYet;
    if (!chosenLanguage.compare_exchange_strong(expected, language)) language = expected;
  }
  return static_cast<Language>(language);
}

void UseLanguage(Language language) {
  chosenLanguage.store(static_cast<int>(language), std::memory_order_release);
}

std::string_view Tr(std::string_view english) {
  if (CurrentLanguage() == Language::kEnglish) return english;
  return GermanCatalog().Find(english).value_or(english);
}

std::string_view TrC(std::string_view context, std::string_view english) {
  if (CurrentLanguage() == Language::kEnglish) return english;
  return GermanCatalog().Find(ContextKey(context, english)).value_or(english);
}

std::string_view TrN(std::string_view singular, std::string_view plural, std::uint64_t n) {
  const std::size_t form = PluralForm(n);
  if (CurrentLanguage() == Language::kGerman) {
    const std::optional<std::string_view> german = GermanCatalog().FindPlural(singular, form);
    if (german) return *german;
  }
  return form == 0 ? singular : plural;
}

std::string FormatText(std::string_view pattern, std::span<const std::string> values) {
  std::string text;
  text.reserve(pattern.size());
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '%' && i + 1 < pattern.size()) {
      const char next = pattern[i + 1];
      if (next >= '1' && next <= '9' && static_cast<std::size_t>(next - '1') < values.size()) {
        text += values[static_cast<std::size_t>(next - '1')];
        ++i;
        continue;
      }
    }
    text += c;
  }
  return text;
}

}  // namespace vandrel
