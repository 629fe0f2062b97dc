// The Windows registry behind the store's key interface.
//
// Since Windows Vista an ordinary user may not write under HKEY_LOCAL_MACHINE, so values meant for
// it are written there when that works and under HKEY_CURRENT_USER otherwise, with the same sub
// key. Reading looks in HKEY_CURRENT_USER first and then in HKEY_LOCAL_MACHINE, which still finds
// the values that earlier versions of the program left there.
#include <windows.h>

#include <utility>
#include <vector>

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
    return RegSetValueExA(handles_.front(), name.c_str(), 0, static_cast<DWORD>(type),
                          reinterpret_cast<const BYTE*>(bytes.data()),
                          static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
  }

  std::optional<RegistryData> QueryValue(const std::string& name, std::size_t capacity) override {
    for (HKEY handle : handles_) {
      std::string buffer(capacity, '\0');
      DWORD type = REG_NONE;
      DWORD size = static_cast<DWORD>(capacity);
      const LONG result = RegQueryValueExA(handle, name.c_str(), nullptr, &type,
                                           reinterpret_cast<BYTE*>(buffer.data()), &size);
      if (result == ERROR_SUCCESS) {
        buffer.resize(size < capacity ? size : capacity);
        return RegistryData{static_cast<RegistryType>(type), std::move(buffer)};
      }
      // A value that is there but too long hides an older one further down the list.
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
  std::vector<HKEY> handles_;
};

bool CreateUnder(HKEY root, const std::string& subKey, HKEY& key) {
  return RegCreateKeyExA(root, subKey.c_str(), 0, nullptr, 0, KEY_WRITE | ViewFor(root), nullptr,
                         &key, nullptr) == ERROR_SUCCESS;
}

bool OpenUnder(HKEY root, const std::string& subKey, HKEY& key) {
  return RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ | ViewFor(root), &key) == ERROR_SUCCESS;
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
