// A Thunderbird profile: found through profiles.ini, its Local Folders found through prefs.js,
// and whether a running Thunderbird holds it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vandrel {

// The folder holding profiles.ini: ~/.thunderbird, or %APPDATA%\Thunderbird on Windows.
std::string ThunderbirdDataFolder();

// The profile a plain start of Thunderbird opens: the default of its installation, else the
// profile marked default, else the only one. Empty when there is none.
std::string DefaultThunderbirdProfile(const std::string& dataFolder);

// The Local Folders account's folder of the profile, as Thunderbird names it in its keys;
// nullopt when the profile's preferences name no Local Folders account (Thunderbird has not set
// one up yet, and would not show what is put there).
std::optional<std::string> LocalFoldersOf(const std::string& profile);

// The mail store of the Local Folders account, as its storeContractID names it (user.js over
// prefs.js, then the default for new accounts); empty when none is set: Thunderbird's mbox store.
std::string LocalFoldersStoreOf(const std::string& profile);

// True while a running Thunderbird holds the profile's lock.
bool IsProfileInUse(const std::string& profile);

// The value of a "user_pref(name, value)" line of prefs.js text, unquoted; nullopt when absent.
// Lines and blocks commented out ("//", "/* */") are no settings.
std::optional<std::string> PreferenceValue(std::string_view prefsText, std::string_view name);

// The text with its comments made blanks, strings left as they are.
std::string WithoutComments(std::string_view prefsText);

}  // namespace vandrel
