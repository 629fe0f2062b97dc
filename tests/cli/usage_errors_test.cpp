// CLI11's parse errors in the current language: English exactly as CLI11 words them, German
// with the same details in their places, and the shapes not known here left as they are.
#include "cli/usage_errors.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "texts/scoped_language.h"

namespace vandrel::cli {
namespace {

struct Case {
  std::function<void()> raise;  // throws the error as CLI11 does, of its own type
  std::string german;
};

template <typename Kind>
std::function<void()> Raise(Kind error) {
  return [error] { throw error; };
}

// Values that hold the words around them or a placeholder stay whole and are not read again.
const std::vector<Case> kCases = {
    {Raise(CLI::RequiredError::Subcommand(1)), "Ein Unterbefehl ist erforderlich"},
    {Raise(CLI::RequiredError("--input")), "--input ist erforderlich"},
    {Raise(CLI::ExtrasError(std::vector<std::string>{"a = b"})),
     "Dieses Argument wurde nicht erwartet: a = b"},
    {Raise(CLI::ExtrasError(std::vector<std::string>{"x", "%1"})),
     "Diese Argumente wurden nicht erwartet: %1 x"},
    {Raise(CLI::ArgumentMismatch::AtMost("PATHS", 2, 3)),
     "PATHS: höchstens 2 erlaubt, aber 3 angegeben"},
    {Raise(CLI::ArgumentMismatch::AtLeast("--pair", 2, 1)),
     "--pair: mindestens 2 erforderlich, aber 1 angegeben"},
    {Raise(CLI::ArgumentMismatch::TypedAtLeast("--dir", 1, "TEXT:DIR")),
     "--dir: Wert fehlt (1 erforderlich, Typ TEXT:DIR)"},
    {Raise(CLI::ExcludesError("--a%2", "--b excludes --c")), "--a%2 schließt --b excludes --c aus"},
    {Raise(CLI::RequiresError("--password-file", "--imap")), "--password-file erfordert --imap"},
    {Raise(CLI::ConversionError("--quiet", std::vector<std::string>{"x = y"})),
     "Ungültiger Wert: --quiet = x = y"},
    {Raise(CLI::ConversionError("on", "--level")), "Der Wert on ist für --level nicht erlaubt"},
    // Our validators speak the current language already.
    {Raise(CLI::ValidationError("--dir", "Ordner existiert nicht: /a")),
     "--dir: Ordner existiert nicht: /a"},
    // Shapes not known here.
    {Raise(CLI::RequiredError::Subcommand(2)), "Requires at least 2 subcommands"},
    {Raise(CLI::ArgumentMismatch::FlagOverride("--quiet")),
     "--quiet was given a disallowed flag override"},
};

TEST(UsageErrorsTest, EnglishIsCli11sOwnMessage) {
  ScopedLanguage english(Language::kEnglish);
  for (const Case& known : kCases) {
    try {
      known.raise();
    } catch (const CLI::Error& error) {
      EXPECT_EQ(ParseErrorMessage(error), error.what());
    }
  }
}

TEST(UsageErrorsTest, GermanKeepsEachDetailInItsPlace) {
  ScopedLanguage german(Language::kGerman);
  for (const Case& known : kCases) {
    try {
      known.raise();
      ADD_FAILURE() << known.german;
    } catch (const CLI::Error& error) {
      EXPECT_EQ(ParseErrorMessage(error), known.german) << error.what();
    }
  }
}

TEST(UsageErrorsTest, TheLinesShowTheProblemAsTextAndTheHint) {
  ScopedLanguage german(Language::kGerman);
  EXPECT_EQ(UsageErrorLines("EINGABE fehlt: a\x1b[2Jb"),
            "EINGABE fehlt: a\\x1B[2Jb\nWeitere Informationen erhalten Sie mit --help.\n");
}

}  // namespace
}  // namespace vandrel::cli
