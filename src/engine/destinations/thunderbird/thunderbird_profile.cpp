#include "engine/destinations/thunderbird/thunderbird_profile.h"

#include <filesystem>
#include <map>
#include <sstream>
#include <vector>

#include "engine/destinations/thunderbird/profile_file.h"
#include "engine/utf8_path.h"
#include "mime/ascii.h"

namespace vandrel {

namespace {

namespace fs = std::filesystem;

struct IniSection {
  std::string name;
  std::map<std::string, std::string> values;
};

// Larger than any Thunderbird writes; whatever is not such a file reads as empty.
constexpr std::size_t kMaxProfileFile = std::size_t{64} << 20;

std::string ReadText(const fs::path& path) {
  return ReadProfileFile(PathText(path), kMaxProfileFile).text;
}

std::string Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(" \t\r") - first + 1));
}

std::vector<IniSection> ParseIni(const std::string& text) {
  std::vector<IniSection> sections;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    line = Trimmed(line);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      sections.push_back({line.substr(1, line.size() - 2), {}});
    } else if (const std::size_t equals = line.find('=');
               equals != std::string::npos && !sections.empty()) {
      sections.back().values[Trimmed(line.substr(0, equals))] = Trimmed(line.substr(equals + 1));
    }
  }
  return sections;
}

std::string Value(const IniSection& section, const std::string& key) {
  const auto found = section.values.find(key);
  return found == section.values.end() ? std::string() : found->second;
}

std::string ProfilePath(const std::string& dataFolder, const std::string& path, bool relative) {
  return relative ? (Utf8Path(dataFolder) / Utf8Path(path).make_preferred()).string() : path;
}

}  // namespace

std::string DefaultThunderbirdProfile(const std::string& dataFolder) {
  const std::vector<IniSection> sections =
      ParseIni(ReadText(Utf8Path(dataFolder) / "profiles.ini"));
  std::vector<const IniSection*> profiles;
  for (const IniSection& section : sections) {
    if (mime::StartsWithIgnoreCase(section.name, "Profile") && !Value(section, "Path").empty()) {
      profiles.push_back(&section);
    }
  }
  auto pathOf = [&](const IniSection& profile) {
    return ProfilePath(dataFolder, Value(profile, "Path"), Value(profile, "IsRelative") != "0");
  };
  // The installation's own default is the profile Thunderbird really opens.
  for (const IniSection& section : sections) {
    if (!mime::StartsWithIgnoreCase(section.name, "Install")) continue;
    const std::string path = Value(section, "Default");
    if (path.empty()) continue;
    for (const IniSection* profile : profiles) {
      if (Value(*profile, "Path") == path) return pathOf(*profile);
    }
    return ProfilePath(dataFolder, path, !Utf8Path(path).is_absolute());
  }
  for (const IniSection* profile : profiles) {
    if (Value(*profile, "Default") == "1") return pathOf(*profile);
  }
  return profiles.size() == 1 ? pathOf(*profiles.front()) : std::string();
}

std::string WithoutComments(std::string_view prefsText) {
  std::string out(prefsText);
  bool inString = false;
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (inString) {
      if (out[i] == '\\') {
        ++i;
      } else if (out[i] == '"') {
        inString = false;
      }
    } else if (out[i] == '"') {
      inString = true;
    } else if (out.compare(i, 2, "//") == 0 || out[i] == '#') {
      for (; i < out.size() && out[i] != '\n'; ++i)
        out[i] = ' ';
    } else if (out.compare(i, 2, "/*") == 0) {
      const std::size_t end = out.find("*/", i + 2);
      const std::size_t stop = end == std::string::npos ? out.size() : end + 2;
      for (; i < stop; ++i) {
        if (out[i] != '\n') out[i] = ' ';
      }
      --i;
    }
  }
  return out;
}

std::optional<std::string> PreferenceValue(std::string_view prefsWithComments,
                                           std::string_view name) {
  const std::string text = WithoutComments(prefsWithComments);
  const std::string_view prefsText = text;
  const std::string key = "user_pref(\"" + std::string(name) + "\"";
  std::size_t at = prefsText.find(key);
  if (at == std::string_view::npos) return std::nullopt;
  at = prefsText.find(',', at + key.size());
  if (at == std::string_view::npos) return std::nullopt;
  at = prefsText.find_first_not_of(" \t", at + 1);
  if (at == std::string_view::npos) return std::nullopt;
  if (prefsText[at] != '"') {
    const std::size_t end = prefsText.find(')', at);
    return end == std::string_view::npos ? std::nullopt
                                         : std::optional(Trimmed(prefsText.substr(at, end - at)));
  }
  std::string value;
  for (std::size_t i = at + 1; i < prefsText.size(); ++i) {
    if (prefsText[i] == '"') return value;
    if (prefsText[i] == '\\' && i + 1 < prefsText.size()) ++i;
    value += prefsText[i];
  }
  return std::nullopt;
}

std::optional<std::string> LocalFoldersOf(const std::string& profile) {
  const std::string prefs = WithoutComments(ReadText(Utf8Path(profile) / "prefs.js"));
  const std::string server =
      PreferenceValue(prefs, "mail.accountmanager.localfoldersserver").value_or("");
  if (server.empty()) return std::nullopt;
  constexpr std::string_view kProfileDir = "[ProfD]";
  const auto relative = PreferenceValue(prefs, "mail.server." + server + ".directory-rel");
  if (relative && relative->starts_with(kProfileDir)) {
    return (Utf8Path(profile) / Utf8Path(relative->substr(kProfileDir.size())).make_preferred())
        .string();
  }
  const auto absolute = PreferenceValue(prefs, "mail.server." + server + ".directory");
  if (absolute && Utf8Path(*absolute).is_absolute()) return *absolute;
  // The account is there without a folder of its own yet: Thunderbird's default place.
  return (Utf8Path(profile) / "Mail" / "Local Folders").string();
}

std::string LocalFoldersStoreOf(const std::string& profile) {
  const std::string prefs = WithoutComments(ReadText(Utf8Path(profile) / "prefs.js"));
  // Thunderbird reads user.js after prefs.js: what it sets wins.
  const std::string user = WithoutComments(ReadText(Utf8Path(profile) / "user.js"));
  const auto value = [&](const std::string& name) {
    std::optional<std::string> found = PreferenceValue(user, name);
    return found ? found : PreferenceValue(prefs, name);
  };
  const std::optional<std::string> server = value("mail.accountmanager.localfoldersserver");
  if (!server || server->empty()) return {};
  if (auto store = value("mail.server." + *server + ".storeContractID")) return *store;
  return value("mail.serverDefaultStoreContractID").value_or("");
}

}  // namespace vandrel
