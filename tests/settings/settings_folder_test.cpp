#include "settings/settings_folder.h"

#include <gtest/gtest.h>

#include "settings/journal_folder.h"
#include "temp_folder.h"

namespace vandrel {
namespace {

TEST(SettingsFolderTest, PrefersAnAbsoluteConfigHomeElseTheHomeFolder) {
  struct Case {
    const char* configHome;
    const char* home;
    const char* expected;
  };
  const Case cases[] = {
      {"/cfg", "/home/u", "/cfg/vandrel"},
      {"/cfg/", "/home/u", "/cfg/vandrel"},
      {"relative/cfg", "/home/u", "/home/u/.config/vandrel"},
      {"", "/home/u", "/home/u/.config/vandrel"},
      {nullptr, "/home/u", "/home/u/.config/vandrel"},
  };
  for (const Case& c : cases) {
    ScopedEnv configHome("XDG_CONFIG_HOME", c.configHome);
    ScopedEnv home("HOME", c.home);
    EXPECT_EQ(SettingsFolder().lexically_normal(), std::filesystem::path(c.expected))
        << (c.configHome ? c.configHome : "(unset)");
  }
}

TEST(SettingsFolderTest, FallsBackToTheAccountsHomeFolder) {
  ScopedEnv configHome("XDG_CONFIG_HOME", nullptr);
  ScopedEnv home("HOME", nullptr);
  const std::filesystem::path folder = SettingsFolder();
  EXPECT_TRUE(folder.is_absolute()) << folder;
  EXPECT_EQ(folder.filename(), "vandrel");
  EXPECT_EQ(folder.parent_path().filename(), ".config");
}

// The journal of runs into mail accounts follows the settings wherever they are moved to.
TEST(SettingsFolderTest, TheRunJournalIsInTheSettingsFolder) {
  const struct {
    const char* configHome;
    const char* expected;
  } cases[] = {
      {"/cfg", "/cfg/vandrel/accounts"},
      {nullptr, "/home/u/.config/vandrel/accounts"},
  };
  for (const auto& c : cases) {
    ScopedEnv configHome("XDG_CONFIG_HOME", c.configHome);
    ScopedEnv home("HOME", "/home/u");
    EXPECT_EQ(RunJournalFolder().lexically_normal(), std::filesystem::path(c.expected));
  }
}

}  // namespace
}  // namespace vandrel
