// The Windows registry behind the store's key interface.
//
// Since Windows Vista an ordinary user may not write under HKEY_LOCAL_MACHINE, so values meant for
// it are written there when that works and under HKEY_CURRENT_USER otherwise, with the same sub
// key. Reading looks in HKEY_CURRENT_USER first and then in HKEY_LOCAL_MACHINE, which still finds
// the values that earlier versions of the program left there.
//
// Names and texts are UTF-8 in the store and UTF-16 in the registry (the wide API), so paths
// outside the ANSI code page are kept as they are.
#include <windows.h>

#include <utility>
#include <vector>

#include "platform/utf16_win32.h"
#include "settings/registry_key.h"

namespace vandrel {
namespace {

HKEY RootHandle(RegistryRoot root) {
  return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// HKEY_LOCAL_MACHINE\Software is seen through the 32-bit view, where the earlier 32-bit program
// kept its values; a 64-bit build would otherwise look elsewhere. HKEY_CURRENT_USER\Software is
// shared by both views.
REGSAM ViewFor(HKEY root) {
  return root == HKEY_LOCAL_MACHINE ? KEY_WOW64_32KEY : 0;
}

class Win32RegistryKey final : public RegistryKey {
 public:
  // `handles` in the order in which values are looked up; values are set in the first.
  explicit Win32RegistryKey(std::vector<HKEY> handles) : handles_(std::move(handles)) {}
  ~Win32RegistryKey() override { Close(); }

  bool SetValue(const std::string& name, RegistryType type, std::string_view bytes) override {
    if (handles_.empty()) return false;
    const std::wstring wideName = platform::Widen(name);
    std::wstring text;
    if (IsText(type)) {
      text = platform::Widen(bytes);
      bytes = std::string_view(reinterpret_cast<const char*>(text.data()),
                               text.size() * sizeof(wchar_t));
    }
    return RegSetValueExW(handles_.front(), wideName.c_str(), 0, static_cast<DWORD>(type),
                          reinterpret_cast<const BYTE*>(bytes.data()),
                          static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
  }

  std::optional<RegistryData> QueryValue(const std::string& name, std::size_t capacity) override {
    const std::wstring wideName = platform::Widen(name);
    for (HKEY handle : handles_) {
      DWORD type = REG_NONE;
      DWORD size = 0;
      const LONG result =
          RegQueryValueExW(handle, wideName.c_str(), nullptr, &type, nullptr, &size);
      if (result == ERROR_SUCCESS) return Read(handle, wideName, capacity);
      // A value that is there but cannot be read hides an older one further down the list.
      if (result != ERROR_FILE_NOT_FOUND) return std::nullopt;
    }
    return std::nullopt;
  }

  bool Close() override {
    bool closed = true;
    for (HKEY handle : handles_)
      closed = RegCloseKey(handle) == ERROR_SUCCESS && closed;
    handles_.clear();
    return closed;
  }

 private:
  static bool IsText(RegistryType type) {
    return type == RegistryType::String || type == RegistryType::ExpandString ||
           type == RegistryType::MultiString;
  }

  // The value with text as UTF-8; the capacity limits the bytes the store sees.
  static std::optional<RegistryData> Read(HKEY handle, const std::wstring& name,
                                          std::size_t capacity) {
    // Text takes up to two UTF-16 bytes for every UTF-8 byte, never more.
    std::string buffer(2 * capacity + sizeof(wchar_t), '\0');
    DWORD type = REG_NONE;
    DWORD size = static_cast<DWORD>(buffer.size());
    if (RegQueryValueExW(handle, name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    buffer.resize(size);
    const auto registryType = static_cast<RegistryType>(type);
    if (IsText(registryType)) {
      buffer = platform::Narrow(std::wstring_view(reinterpret_cast<const wchar_t*>(buffer.data()),
                                                  buffer.size() / sizeof(wchar_t)));
    }
    if (buffer.size() > capacity) return std::nullopt;
    return RegistryData{registryType, std::move(buffer)};
  }

  std::vector<HKEY> handles_;
};

bool CreateUnder(HKEY root, const std::string& subKey, HKEY& key) {
  return RegCreateKeyExW(root, platform::Widen(subKey).c_str(), 0, nullptr, 0,
                         KEY_WRITE | ViewFor(root), nullptr, &key, nullptr) == ERROR_SUCCESS;
}

bool OpenUnder(HKEY root, const std::string& subKey, HKEY& key) {
  return RegOpenKeyExW(root, platform::Widen(subKey).c_str(), 0, KEY_READ | ViewFor(root), &key) ==
         ERROR_SUCCESS;
}

}  // namespace

std::unique_ptr<RegistryKey> CreateRegistryKey(RegistryRoot root, const std::string& subKey) {
  HKEY key = nullptr;
  if (CreateUnder(RootHandle(root), subKey, key) ||
      (root == RegistryRoot::LocalMachine && CreateUnder(HKEY_CURRENT_USER, subKey, key))) {
    return std::make_unique<Win32RegistryKey>(std::vector<HKEY>{key});
  }
  return nullptr;
}

std::unique_ptr<RegistryKey> OpenRegistryKey(RegistryRoot root, const std::string& subKey) {
  std::vector<HKEY> handles;
  HKEY key = nullptr;
  if (root == RegistryRoot::LocalMachine && OpenUnder(HKEY_CURRENT_USER, subKey, key)) {
    handles.push_back(key);
  }
  if (OpenUnder(RootHandle(root), subKey, key)) handles.push_back(key);
  if (handles.empty()) return nullptr;
  return std::make_unique<Win32RegistryKey>(std::move(handles));
}

}  // namespace vandrel
