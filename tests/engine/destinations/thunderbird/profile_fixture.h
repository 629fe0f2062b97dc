// A Thunderbird profile for tests: prefs.js naming its Local Folders, and a snapshot of every
// file in it (bytes and mode), to tell whether a run left it as it was.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "snapshot.h"

namespace vandrel::test {

inline void WritePrefs(const std::filesystem::path& profile) {
  std::filesystem::create_directories(profile / "Mail" / "Local Folders");
  std::ofstream(profile / "prefs.js")
      << "// Mozilla User Preferences\n"
         "user_pref(\"mail.accountmanager.localfoldersserver\", \"server1\");\n"
         "user_pref(\"mail.server.server1.directory-rel\", \"[ProfD]Mail/Local Folders\");\n"
         "user_pref(\"mail.server.server1.type\", \"none\");\n";
}

}  // namespace vandrel::test
