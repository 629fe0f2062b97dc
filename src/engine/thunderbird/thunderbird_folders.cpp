#include "engine/thunderbird/thunderbird_folders.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "engine/thunderbird/folder_cache.h"
#include "engine/thunderbird/thunderbird_names.h"
#include "engine/thunderbird/thunderbird_profile.h"
#include "engine/utf8_path.h"
#include "engine/writing/system_file_names.h"
#include "mime/ascii.h"

namespace vandrel {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kTopFolder = "Calypso";
constexpr std::string_view kSubfolders = ".sbd";
constexpr std::string_view kSummary = ".msf";

bool ContainsIgnoringCase(const std::vector<std::string>& lowerNames, const std::string& name) {
  return std::find(lowerNames.begin(), lowerNames.end(), mime::ToLowerAscii(name)) !=
         lowerNames.end();
}

}  // namespace

ThunderbirdFolders::ThunderbirdFolders(std::string profile) : profile_(std::move(profile)) {}

std::string ThunderbirdFolders::Check() {
  if (profile_.empty()) profile_ = DefaultThunderbirdProfile(ThunderbirdDataFolder());
  std::error_code error;
  if (profile_.empty() || !fs::is_directory(Utf8Path(profile_), error)) {
    return "no Thunderbird profile found" + (profile_.empty() ? std::string() : " at " + profile_) +
           ".";
  }
  if (IsProfileInUse(profile_)) {
    return "Thunderbird is running with the profile " + profile_ +
           "; close Thunderbird, then convert again.";
  }
  return {};
}

std::string ThunderbirdFolders::Prepare() {
  // Again: Thunderbird may have been started while the export was read.
  if (std::string problem = Check(); !problem.empty()) return problem;
  const fs::path localFolders = Utf8Path(LocalFoldersOf(profile_));
  std::error_code error;
  fs::create_directories(localFolders, error);
  std::vector<std::string> existing;
  for (fs::directory_iterator it(localFolders, error), end; !error && it != end;
       it.increment(error)) {
    existing.push_back(mime::ToLowerAscii(it->path().filename().string()));
  }
  if (error) return "cannot read " + localFolders.string() + ": " + error.message();
  // A new top folder, never one that exists: Thunderbird's own folders stay untouched.
  std::string top(kTopFolder);
  for (int number = 2; ContainsIgnoringCase(existing, top) ||
                       ContainsIgnoringCase(existing, top + std::string(kSubfolders)) ||
                       ContainsIgnoringCase(existing, top + std::string(kSummary));
       ++number) {
    top = std::string(kTopFolder) + "-" + std::to_string(number);
  }
  topFolder_ = (localFolders / Utf8Path(top)).string();
  std::ofstream(Utf8Path(topFolder_), std::ios::binary | std::ios::app);
  fs::create_directory(Utf8Path(topFolder_ + std::string(kSubfolders)), error);
  if (error || !fs::is_regular_file(Utf8Path(topFolder_)))
    return "cannot create the folder " + topFolder_ + ".";
  return {};
}

std::string ThunderbirdFolders::FileFor(const std::string& folderName, const std::string&) {
  std::string base = folderName.empty() ? std::string("Unnamed folder") : folderName;
  // Thunderbird takes no "/" in a folder's name: it separates folders in its addresses.
  std::replace(base.begin(), base.end(), '/', '_');
  std::string name = base;
  std::string fileName = SystemFileName(ThunderbirdFileName(name));
  for (int number = 2; IsUsed(fileName); ++number) {
    name = base + "-" + std::to_string(number);
    fileName = SystemFileName(ThunderbirdFileName(name));
  }
  usedNames_.push_back(FileNameKey(fileName));
  const fs::path file = Utf8Path(topFolder_ + std::string(kSubfolders)) / Utf8Path(fileName);
  if (fileName != name) longNames_.emplace_back(file.string() + std::string(kSummary), name);
  return file.string();
}

bool ThunderbirdFolders::IsUsed(const std::string& fileName) const {
  return std::find(usedNames_.begin(), usedNames_.end(), FileNameKey(fileName)) != usedNames_.end();
}

std::string ThunderbirdFolders::Finish() {
  if (longNames_.empty()) return {};
  const std::string cache = (Utf8Path(profile_) / "folderCache.json").string();
  if (AddFolderNames(cache, longNames_)) return {};
  return "note: the full names of folders with long names could not be recorded in " + cache +
         "; Thunderbird shows them shortened.";
}

}  // namespace vandrel
