#include "settings/registry_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "temp_folder.h"

namespace vandrel {
namespace {

constexpr RegistryRoot kRoot = RegistryRoot::LocalMachine;
constexpr const char* kKey = "Software\\ZQ\\Vandrel";

class RegistryStoreTest : public ::testing::Test {
 protected:
  void Write(const std::string& type, const std::string& name, const std::string& data) {
    RegistryStore().WriteValue(kRoot, kKey, type, name, data);
  }

  // Reads with outputs preset to markers, so that untouched outputs show.
  bool Read(const std::string& name, std::string& type, std::string& data,
            const std::string& key = kKey) {
    type = "untouched";
    data = "untouched";
    return RegistryStore().ReadValue(kRoot, key, name, type, data);
  }

  std::filesystem::path File() const { return folder_.Path() / "vandrel" / "local_machine.reg"; }

  TempFolder folder_;
  ScopedEnv configHome_{"XDG_CONFIG_HOME", folder_.Path().c_str()};
};

TEST_F(RegistryStoreTest, FirstRunFindsNothingAndLeavesTheOutputs) {
  std::string type, data;
  EXPECT_FALSE(Read("MRU_MailboxInputFile", type, data));
  EXPECT_EQ(type, "untouched");
  EXPECT_EQ(data, "untouched");
  EXPECT_FALSE(std::filesystem::exists(File()));
}

TEST_F(RegistryStoreTest, AwkwardNamesAndStringsSurviveAWriteAndARead) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"MRU_MailboxInputFile", "C:\\Mail\\export.txt"},
      {"MRU_MailboxOutputFile", "C:\\Mail\\"},
      {"quote\"name", "say \"hi\""},
      {"back\\slash\\", "\\\\server\\share"},
      {"a=b", "x=y=z"},
      {"line\nbreak\r", "first\nsecond\r\nthird\n"},
      {"\xe4\xf6\xfc \xc3\xa9t\xc3\xa9", "/home/j\xc3\xb6rg/Mail \xe9t\xe9.mbx"},
      {"[not a key]", "[HKEY_LOCAL_MACHINE\\Software]"},
      {" spaced ", "\ttab\t"},
      {"empty", ""},
      {"mru_mailboxinputfile2", "@"},
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

TEST_F(RegistryStoreTest, NamesAndKeysMatchIgnoringCaseAndALaterWriteReplaces) {
  Write("REG_SZ", "MRU_MailboxInputFile", "old");
  Write("REG_DWORD", "mru_mailboxinputfile", "7");
  std::string type, data;
  EXPECT_TRUE(Read("Mru_MailboxInputFile", type, data, "SOFTWARE\\zq\\vandrel"));
  EXPECT_EQ(type, "DWORD");
  EXPECT_EQ(data, "00000007");
}

TEST_F(RegistryStoreTest, StringsUpToTheQueryLimitCanBeRead) {
  const std::string longest(1023, 'a');
  const std::string tooLong(1024, 'b');
  Write("REG_SZ", "longest", longest);
  Write("REG_SZ", "tooLong", tooLong);
  std::string type, data;
  EXPECT_TRUE(Read("longest", type, data));
  EXPECT_EQ(data, longest);
  EXPECT_FALSE(Read("tooLong", type, data));
  EXPECT_EQ(type, "REG_SZ");
  EXPECT_EQ(data, "");
}

TEST_F(RegistryStoreTest, DwordTextIsReadAsHexadecimal) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"100", "00000100"},
      {"0x100", "00000100"},
      {"  \t1fz9", "0000001f"},
      {"0XaBc", "00000abc"},
      {"", "00000000"},
      {"zz", "00000000"},
      {"0x", "00000000"},
      {"ffffffff", "ffffffff"},
      {"100000000", "ffffffff"},
      {"+10", "00000010"},
      {"-1", "ffffffff"},
      {"-0x10", "fffffff0"},
      {"00000000012", "00000012"},
      {"123456789abcdef", "ffffffff"},
  };
  for (const auto& [text, expected] : cases) {
    Write("REG_DWORD", "number", text);
    std::string type, data;
    EXPECT_TRUE(Read("number", type, data)) << text;
    EXPECT_EQ(type, "DWORD") << text;
    EXPECT_EQ(data, expected) << text;
  }
}

std::string ByteList(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    char pair[4];
    std::snprintf(pair, sizeof pair, "%02x", i & 0xff);
    text += (i ? "," : "") + std::string(pair);
  }
  return text;
}

TEST_F(RegistryStoreTest, BinaryValuesReadBackWithLineBreaksAtFixedBytes) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", ""},
      {"0A", "0a"},
      {ByteList(13), ByteList(13) + "\n"},
      {ByteList(20), ByteList(13) + ",\n0d,0e,0f,10,11,12,13"},
      {ByteList(41), ByteList(13) + ",\n" + ByteList(40).substr(39) + ",\n28"},
  };
  for (const auto& [text, expected] : cases) {
    Write("REG_BINARY", "bytes", text);
    std::string type, data;
    EXPECT_TRUE(Read("bytes", type, data)) << text;
    EXPECT_EQ(type, "HEX") << text;
    EXPECT_EQ(data, expected) << text;
    // What was read can be written again unchanged.
    Write("REG_BINARY", "bytes", data);
    std::string again;
    EXPECT_TRUE(Read("bytes", type, again));
    EXPECT_EQ(again, expected) << text;
  }
}

TEST_F(RegistryStoreTest, BinaryTextThatCannotBeReadOrIsTooLongSetsNothing) {
  Write("REG_BINARY", "bytes", "01,02");
  const std::string tooLong = ByteList(513);
  for (const std::string& text : {std::string("0"), std::string("1,2"), std::string("0g"),
                                  std::string("000,01"), std::string(","), std::string("00,"),
                                  std::string("00,,01"), std::string(" ,01"), tooLong}) {
    Write("REG_BINARY", "bytes", text);
    std::string type, data;
    EXPECT_TRUE(Read("bytes", type, data)) << text;
    EXPECT_EQ(data, "01,02") << text;
  }
  Write("REG_BINARY", "bytes", ByteList(512));
  std::string type, data;
  EXPECT_TRUE(Read("bytes", type, data));
  EXPECT_EQ(data.size(), 512u * 3 - 1 + (512 - 13) / 27 + 1);
}

TEST_F(RegistryStoreTest, AnUnknownTypeWordCreatesTheKeyAndSetsNothing) {
  for (const char* type : {"REG_EXPAND_SZ", "reg_sz", "REG_SZ ", ""}) {
    Write(type, "value", "text");
  }
  std::string type, data;
  // The key exists now, so the outputs are reset even though the value is missing.
  EXPECT_FALSE(Read("value", type, data));
  EXPECT_EQ(type, "REG_SZ");
  EXPECT_EQ(data, "");
  EXPECT_NE(ReadWholeFile(File()).find("[HKEY_LOCAL_MACHINE\\Software\\ZQ\\Vandrel]"),
            std::string::npos);
}

TEST_F(RegistryStoreTest, AtStandsForTheDefaultValueOnlyWhenWritingAString) {
  Write("REG_SZ", "@", "default");
  Write("REG_DWORD", "@", "5");
  std::string type, data;
  EXPECT_TRUE(Read("", type, data));
  EXPECT_EQ(data, "default");
  EXPECT_TRUE(Read("@", type, data));
  EXPECT_EQ(type, "DWORD");
}

TEST_F(RegistryStoreTest, ValuesOfOtherTypesReadAsEmptyText) {
  std::filesystem::create_directories(File().parent_path());
  WriteWholeFile(File(),
                 "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\ZQ\\Vandrel]\n"
                 "\"expand\"=hex(2):25,00\n\"multi\"=hex(7):61,00,00\n\"text\"=\"C:\\\\x\"\n");
  for (const char* name : {"expand", "multi"}) {
    std::string type, data;
    EXPECT_TRUE(Read(name, type, data)) << name;
    EXPECT_EQ(type, "REG_SZ") << name;
    EXPECT_EQ(data, "") << name;
  }
  std::string type, data;
  EXPECT_TRUE(Read("text", type, data));
  EXPECT_EQ(data, "C:\\x");
}

TEST_F(RegistryStoreTest, RootKeysKeepSeparateValues) {
  RegistryStore().WriteValue(RegistryRoot::CurrentUser, kKey, "REG_SZ", "name", "user");
  Write("REG_SZ", "name", "machine");
  std::string type, data;
  EXPECT_TRUE(RegistryStore().ReadValue(RegistryRoot::CurrentUser, kKey, "name", type, data));
  EXPECT_EQ(data, "user");
  EXPECT_TRUE(Read("name", type, data));
  EXPECT_EQ(data, "machine");
}

}  // namespace
}  // namespace vandrel
