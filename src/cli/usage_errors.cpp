#include "cli/usage_errors.h"

#include <optional>
#include <vector>

#include "log/visible_text.h"
#include "texts/texts.h"

namespace vandrel::cli {

namespace {

template <typename Kind>
bool Is(const CLI::Error& error) {
  return dynamic_cast<const Kind*>(&error) != nullptr;
}

// A CLI11 error carries its details only inside its English message, so each kind of error is
// known by its type and the shape of that message; the message's English is the catalog key.
struct KnownMessage {
  bool (*isKind)(const CLI::Error&);
  std::string_view english;
};

// The more particular shape comes first where two could match the same message.
constexpr KnownMessage kKnownMessages[] = {
    {Is<CLI::RequiredError>, TrNoop("A subcommand is required")},
    {Is<CLI::RequiredError>, TrNoop("%1 is required")},
    {Is<CLI::ExtrasError>, TrNoop("The following argument was not expected: %1")},
    {Is<CLI::ExtrasError>, TrNoop("The following arguments were not expected: %1")},
    {Is<CLI::ArgumentMismatch>, TrNoop("%1: At Most %2 required but received %3")},
    {Is<CLI::ArgumentMismatch>, TrNoop("%1: At least %2 required but received %3")},
    {Is<CLI::ArgumentMismatch>, TrNoop("%1: %2 required %3 missing")},
    {Is<CLI::ExcludesError>, TrNoop("%1 excludes %2")},
    {Is<CLI::RequiresError>, TrNoop("%1 requires %2")},
    {Is<CLI::ConversionError>, TrNoop("Could not convert: %1 = %2")},
    {Is<CLI::ConversionError>, TrNoop("The value %1 is not an allowed value for %2")},
};

// The values that stand at %1, %2, ... (in that order, each once) when `message` has the shape
// of `pattern`; each value is at least one character, and each one but the last ends where the
// text after it first occurs.
std::optional<std::vector<std::string>> ValuesIn(std::string_view pattern,
                                                 std::string_view message) {
  std::vector<std::string_view> texts;  // the pattern's texts around its placeholders
  std::size_t start = 0;
  for (char number = '1'; number <= '9'; ++number) {
    const std::size_t at = pattern.find(std::string{'%', number}, start);
    if (at == std::string_view::npos) break;
    texts.push_back(pattern.substr(start, at - start));
    start = at + 2;
  }
  texts.push_back(pattern.substr(start));
  const std::string_view first = texts.front();
  const std::string_view last = texts.back();
  if (texts.size() == 1) {
    if (message != pattern) return std::nullopt;
    return std::vector<std::string>();
  }
  if (!message.starts_with(first) || !message.ends_with(last) ||
      message.size() < first.size() + last.size())
    return std::nullopt;
  std::string_view rest = message.substr(first.size(), message.size() - first.size() - last.size());
  std::vector<std::string> values;
  for (std::size_t i = 1; i + 1 < texts.size(); ++i) {
    const std::size_t at = texts[i].empty() ? std::string_view::npos : rest.find(texts[i], 1);
    if (at == std::string_view::npos) return std::nullopt;
    values.emplace_back(rest.substr(0, at));
    rest.remove_prefix(at + texts[i].size());
  }
  if (rest.empty()) return std::nullopt;
  values.emplace_back(rest);
  return values;
}

}  // namespace

// Errors of other kinds, and the validators' messages (ours, already in the current language),
// stay as they are.
std::string ParseErrorMessage(const CLI::Error& error) {
  const std::string_view message = error.what();
  for (const KnownMessage& known : kKnownMessages) {
    if (!known.isKind(error)) continue;
    const std::optional<std::vector<std::string>> values = ValuesIn(known.english, message);
    if (values) return FormatText(Tr(known.english), *values);
  }
  return std::string(message);
}

std::string UsageErrorLines(std::string_view problem) {
  return TerminalText(problem) + "\n" + std::string(Tr("Run with --help for more information.")) +
         "\n";
}

void UseLanguageForParseErrors(CLI::App& app) {
  app.failure_message([](const CLI::App*, const CLI::Error& error) {
    return UsageErrorLines(ParseErrorMessage(error));
  });
}

}  // namespace vandrel::cli
