#include "engine/destinations/imap/upload_journal.h"

#include <charconv>
#include <filesystem>
#include <sstream>
#include <string_view>
#include <vector>

#include "engine/utf8_path.h"
#include "texts/texts.h"

namespace vandrel {
namespace {

constexpr std::string_view kHeader = "vandrel upload journal 1";

std::string Hex(std::uint64_t value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(16, '0');
  for (int i = 15; i >= 0; --i, value >>= 4)
    text[static_cast<std::size_t>(i)] = kDigits[value & 15];
  return text;
}

// FNV-1a: a short, stable file name for a long key.
std::uint64_t Fingerprint(std::string_view text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& number) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

std::vector<std::string_view> Fields(std::string_view line, std::size_t count) {
  std::vector<std::string_view> fields;
  while (fields.size() + 1 < count) {
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos) break;
    fields.push_back(line.substr(0, space));
    line.remove_prefix(space + 1);
  }
  fields.push_back(line);
  return fields;
}

}  // namespace

std::string UploadJournal::FileName(const std::string& folder, const std::string& account,
                                    const std::string& exportKey) {
  return (Utf8Path(folder) / (Hex(Fingerprint(account + '\n' + exportKey)) + ".journal")).string();
}

std::string UploadJournal::Open(const std::string& folder, const std::string& account,
                                const std::string& exportKey, const std::string& place) {
  std::error_code error;
  std::filesystem::create_directories(Utf8Path(folder), error);
  const std::string lockFile = (Utf8Path(folder) / (Hex(Fingerprint(account)) + ".lock")).string();
  if (std::string problem = TakeRunLock(lock_, lockFile, place); !problem.empty()) return problem;
  const std::string path = FileName(folder, account, exportKey);
  Read(path);
  file_.open(Utf8Path(path), std::ios::binary | std::ios::app);
  if (!file_.is_open()) {
    lock_.Release();
    return Format(Tr("cannot write the upload journal %1, which lets a rerun continue"), path);
  }
  if (!headerWritten_) {
    Write(std::string(kHeader));
    Write("account " + account);
    Write("export " + exportKey);
  }
  return {};
}

void UploadJournal::Read(const std::string& path) {
  std::ifstream in(Utf8Path(path), std::ios::binary);
  std::string line;
  FolderKey folder;
  bool inFolder = false;
  while (std::getline(in, line)) {
    if (line == kHeader) headerWritten_ = true;
    const std::vector<std::string_view> fields = Fields(line, line.starts_with("F ") ? 3 : 4);
    if (fields[0] == "F" && fields.size() == 3) {
      inFolder = ParseNumber(fields[1], folder.second);
      folder.first = std::string(fields[2]);
      continue;
    }
    if (!inFolder || fields.size() < 3) continue;
    std::size_t number = 0;
    Entry entry;
    if (!ParseNumber(fields[1], number) || !ParseNumber(fields[2], entry.size)) continue;
    if (fields[0] == "D" && fields.size() == 4 && ParseNumber(fields[3], entry.uid)) {
      entry.stored = true;
      folders_[folder][number] = entry;
    } else if (fields[0] == "S" && fields.size() == 3) {
      auto& entries = folders_[folder];
      if (!entries.contains(number)) entries[number] = entry;
    }
  }
}

bool UploadJournal::Write(const std::string& line) {
  if (!file_.is_open()) return false;
  file_ << line << '\n';
  file_.flush();
  return file_.good();
}

void UploadJournal::BeginFolder(const std::string& mailbox, std::uint32_t uidValidity) {
  current_ = {mailbox, uidValidity};
  Write("F " + std::to_string(uidValidity) + " " + mailbox);
}

const UploadJournal::Entry* UploadJournal::Find(std::size_t number) const {
  const auto folder = folders_.find(current_);
  if (folder == folders_.end()) return nullptr;
  const auto entry = folder->second.find(number);
  return entry == folder->second.end() ? nullptr : &entry->second;
}

std::size_t UploadJournal::StoredCount() const {
  const auto folder = folders_.find(current_);
  if (folder == folders_.end()) return 0;
  std::size_t count = 0;
  for (const auto& [number, entry] : folder->second)
    count += entry.stored ? 1 : 0;
  return count;
}

std::set<std::uint32_t> UploadJournal::KnownUids() const {
  std::set<std::uint32_t> uids;
  const auto folder = folders_.find(current_);
  if (folder == folders_.end()) return uids;
  for (const auto& [number, entry] : folder->second) {
    if (entry.stored && entry.uid != 0) uids.insert(entry.uid);
  }
  return uids;
}

bool UploadJournal::Sending(std::size_t number, std::size_t size) {
  auto& entries = folders_[current_];
  if (!entries.contains(number)) entries[number] = Entry{false, size, 0};
  return Write("S " + std::to_string(number) + " " + std::to_string(size));
}

bool UploadJournal::Stored(std::size_t number, std::size_t size, std::uint32_t uid) {
  folders_[current_][number] = Entry{true, size, uid};
  return Write("D " + std::to_string(number) + " " + std::to_string(size) + " " +
               std::to_string(uid));
}

void UploadJournal::Close() {
  if (file_.is_open()) file_.close();
  lock_.Release();
}

}  // namespace vandrel
