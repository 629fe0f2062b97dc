#include "settings/file_registry_key.h"

#include <utility>

#include "settings/atomic_file.h"
#include "settings/damaged_file.h"
#include "settings/registry_text_writer.h"

namespace vandrel {

FileRegistryKey::FileRegistryKey(RegistryFileContent content, std::string keyPath)
    : content_(std::move(content)), keyPath_(std::move(keyPath)) {}

FileRegistryKey::FileRegistryKey(RegistryFileContent content, std::string keyPath, FileLock lock,
                                 std::filesystem::path file, std::function<void()> beforeReplace)
    : content_(std::move(content)),
      keyPath_(std::move(keyPath)),
      lock_(std::move(lock)),
      file_(std::move(file)),
      beforeReplace_(std::move(beforeReplace)) {}

FileRegistryKey::~FileRegistryKey() {
  Close();
}

void FileRegistryKey::MakeKey() {
  if (content_.parsed.document.AddKey(keyPath_)) changed_ = true;
}

bool FileRegistryKey::SetValue(const std::string& name, RegistryType type, std::string_view bytes) {
  if (!lock_) return false;
  content_.parsed.document.SetValue(keyPath_, name, static_cast<std::uint32_t>(type),
                                    std::string(bytes));
  changed_ = true;
  return true;
}

std::optional<RegistryData> FileRegistryKey::QueryValue(const std::string& name,
                                                        std::size_t capacity) {
  const RegistryDocument::Value* value = content_.parsed.document.FindValue(keyPath_, name);
  if (value == nullptr || value->bytes.size() > capacity) return std::nullopt;
  return RegistryData{static_cast<RegistryType>(value->type), value->bytes};
}

bool FileRegistryKey::Close() {
  if (!lock_) return true;
  const bool saved = !changed_ || Save();
  changed_ = false;
  lock_.reset();
  return saved;
}

bool FileRegistryKey::Save() {
  if (content_.NeedsKeeping()) {
    std::optional<std::string_view> text;
    if (content_.state == RegistryFileContent::State::Read) text = content_.text;
    if (!KeepDamagedFile(file_, text)) return false;
  }
  RemoveStaleTemporaries(file_);
  return ReplaceFileAtomically(file_, WriteRegistryText(content_.parsed.document), beforeReplace_);
}

}  // namespace vandrel
