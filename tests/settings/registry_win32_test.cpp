// The store on the Windows registry: typed values, UTF-8 text through the wide API, the limits.
#include <windows.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "settings/registry_store.h"

namespace vandrel {
namespace {

constexpr RegistryRoot kRoot = RegistryRoot::LocalMachine;

class RegistryWin32Test : public ::testing::Test {
 protected:
  ~RegistryWin32Test() override {
    // Wherever the values went: HKEY_LOCAL_MACHINE (its 32-bit view) or HKEY_CURRENT_USER.
    for (const auto& [root, view] :
         {std::pair{HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY}, std::pair{HKEY_CURRENT_USER, 0}}) {
      HKEY parent = nullptr;
      if (::RegOpenKeyExW(root, L"Software\\ZQ", 0, KEY_ALL_ACCESS | view, &parent) == 0) {
        ::RegDeleteTreeW(parent, leaf_.c_str());
        ::RegCloseKey(parent);
      }
    }
  }

  void Write(const std::string& type, const std::string& name, const std::string& data) {
    RegistryStore().WriteValue(kRoot, key_, type, name, data);
  }
  bool Read(const std::string& name, std::string& type, std::string& data) {
    type = "untouched";
    data = "untouched";
    return RegistryStore().ReadValue(kRoot, key_, name, type, data);
  }
  // Sets a value of any type directly, as another program may have left it.
  void SetRaw(const wchar_t* name, DWORD type, const void* bytes, DWORD size) {
    HKEY key = nullptr;
    const std::wstring path = L"Software\\ZQ\\" + leaf_;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                &key, nullptr),
              0);
    ::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(bytes), size);
    ::RegCloseKey(key);
  }

  const std::string suffix_ = std::to_string(std::random_device()());
  const std::wstring leaf_ = L"Vandrel-test-" + std::wstring(suffix_.begin(), suffix_.end());
  const std::string key_ = "Software\\ZQ\\Vandrel-test-" + suffix_;
};

TEST_F(RegistryWin32Test, FirstRunFindsNothingAndLeavesTheOutputs) {
  std::string type, data;
  EXPECT_FALSE(Read("MRU_MailboxInputFile", type, data));
  EXPECT_EQ(type, "untouched");
  EXPECT_EQ(data, "untouched");
}

TEST_F(RegistryWin32Test, PathsOfAnyScriptSurviveAWriteAndARead) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"MRU_MailboxInputFile", "C:\\Calypso\\export.txt"},
      {"MRU_MailboxOutputFile", "C:\\Mail\\Entw\xC3\xBCrfe\\\xCE\x95\xCE\xB9\xCF\x83.mbx"},
      {"\xD0\x9F\xD0\xB8\xD1\x81\xD1\x8C\xD0\xBC\xD0\xB0", "\xF0\x9F\x93\xA7 mail"},
      {"MRU_OutputToThunderbird", "1"},
      {"empty", ""},
  };
  for (const auto& [name, value] : cases)
    Write("REG_SZ", name, value);
  for (const auto& [name, value] : cases) {
    std::string type, data;
    EXPECT_TRUE(Read(name, type, data)) << name;
    EXPECT_EQ(type, "STRING") << name;
    EXPECT_EQ(data, value) << name;
  }
}

TEST_F(RegistryWin32Test, TheQueryLimitCountsTheTextsBytes) {
  const std::string longest(1023, 'a');
  // 1,023 bytes of UTF-8 and its NUL fit; one more two-byte letter does not.
  std::string wide;
  for (int i = 0; i < 511; ++i)
    wide += "\xC3\xBC";
  Write("REG_SZ", "longest", longest);
  Write("REG_SZ", "umlauts", wide + "x");
  Write("REG_SZ", "tooLong", wide + "\xC3\xBC");
  std::string type, data;
  EXPECT_TRUE(Read("longest", type, data));
  EXPECT_EQ(data, longest);
  EXPECT_TRUE(Read("umlauts", type, data));
  EXPECT_EQ(data, wide + "x");
  EXPECT_FALSE(Read("tooLong", type, data));
  EXPECT_EQ(type, "REG_SZ");
  EXPECT_EQ(data, "");
}

TEST_F(RegistryWin32Test, NumbersAndBytesReadAsTheirTexts) {
  Write("REG_DWORD", "number", "0x100");
  Write("REG_BINARY", "bytes", "00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13");
  std::string type, data;
  EXPECT_TRUE(Read("number", type, data));
  EXPECT_EQ(type, "DWORD");
  EXPECT_EQ(data, "00000100");
  EXPECT_TRUE(Read("bytes", type, data));
  EXPECT_EQ(type, "HEX");
  EXPECT_EQ(data, "00,01,02,03,04,05,06,07,08,09,0a,0b,0c,\n0d,0e,0f,10,11,12,13");
}

TEST_F(RegistryWin32Test, ValuesOfOtherTypesReadAsEmptyText) {
  const wchar_t expand[] = L"%TEMP%\\x";
  SetRaw(L"expand", REG_EXPAND_SZ, expand, sizeof expand);
  const wchar_t multi[] = L"a\0b\0";
  SetRaw(L"multi", REG_MULTI_SZ, multi, sizeof multi);
  for (const char* name : {"expand", "multi"}) {
    std::string type, data;
    EXPECT_TRUE(Read(name, type, data)) << name;
    EXPECT_EQ(type, "REG_SZ") << name;
    EXPECT_EQ(data, "") << name;
  }
}

}  // namespace
}  // namespace vandrel
