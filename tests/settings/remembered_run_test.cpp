// What the windows remember: the paths and the destination's key, read back as written, and the
// number older versions kept, honoured where the key is missing and kept up for them.
#include "settings/remembered_run.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "settings/registry_store.h"
#include "temp_folder.h"

namespace vandrel {
namespace {

constexpr RegistryRoot kRoot = RegistryRoot::LocalMachine;
constexpr const char* kKey = "Software\\ZQ\\Vandrel";
// A value as read back: its type word and its text.
using Typed = std::pair<std::string, std::string>;

class RememberedRunTest : public ::testing::Test {
 protected:
  static void Write(const std::string& type, const std::string& name, const std::string& data) {
    RegistryStore().WriteValue(kRoot, kKey, type, name, data);
  }
  // The value's type word and text; nothing when it is not there.
  static std::optional<Typed> Stored(const std::string& name) {
    std::string type, data;
    if (!RegistryStore().ReadValue(kRoot, kKey, name, type, data)) return std::nullopt;
    return Typed{type, data};
  }

  TempFolder folder_;
  ScopedEnv configHome_{"XDG_CONFIG_HOME", folder_.Path().c_str()};
};

TEST_F(RememberedRunTest, EachDestinationSurvivesAWriteAndARead) {
  const struct {
    const char* key;
    const char* outputPath;
    const char* thunderbirdNumber;  // what an older version reads
  } cases[] = {
      {"mbox", "/home/ann/Mail/calypso.mbx", "00000000"},
      {"thunderbird", "", "00000001"},
      {"maildir", "/home/ann/Maildir", "00000000"},
      {"imap", "imap://ann%40example.org@mail.example.org:1143/Calypso", "00000000"},
  };
  ASSERT_EQ(std::size(cases), kDestinationChoices.size()) << "a destination without a case";
  for (const auto& c : cases) {
    RememberRun({"/home/ann/export.txt", c.outputPath, c.key});
    const RememberedRun run = LoadRememberedRun();
    EXPECT_EQ(run.inputPath, "/home/ann/export.txt") << c.key;
    EXPECT_EQ(run.outputPath, c.outputPath) << c.key;
    EXPECT_EQ(run.destination, c.key);
    EXPECT_EQ(Stored("MRU_Destination"), Typed("STRING", c.key));
    EXPECT_EQ(Stored("MRU_OutputToThunderbird"), Typed("DWORD", c.thunderbirdNumber)) << c.key;
  }
}

// Settings left by other versions, or by hand: a missing key falls back on the old number, a
// key this version does not know reads as the first choice.
TEST_F(RememberedRunTest, StoredValuesOfOtherVersionsReadAsAChoice) {
  struct Value {
    const char* type;
    const char* name;
    const char* data;
  };
  const struct {
    const char* what;
    std::vector<Value> stored;
    const char* destination;
  } cases[] = {
      {"nothing stored", {}, "mbox"},
      {"old number 1", {{"REG_DWORD", "MRU_OutputToThunderbird", "1"}}, "thunderbird"},
      {"old number 0", {{"REG_DWORD", "MRU_OutputToThunderbird", "0"}}, "mbox"},
      {"old number 2", {{"REG_DWORD", "MRU_OutputToThunderbird", "2"}}, "thunderbird"},
      {"old number as text", {{"REG_SZ", "MRU_OutputToThunderbird", "1"}}, "mbox"},
      {"key beats number",
       {{"REG_SZ", "MRU_Destination", "maildir"}, {"REG_DWORD", "MRU_OutputToThunderbird", "1"}},
       "maildir"},
      {"key of a later version",
       {{"REG_SZ", "MRU_Destination", "pop3"}, {"REG_DWORD", "MRU_OutputToThunderbird", "1"}},
       "mbox"},
      {"empty key", {{"REG_SZ", "MRU_Destination", ""}}, "mbox"},
      {"key as a number",
       {{"REG_DWORD", "MRU_Destination", "1"}, {"REG_DWORD", "MRU_OutputToThunderbird", "1"}},
       "thunderbird"},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all(folder_.Path() / "vandrel");
    for (const Value& value : c.stored)
      Write(value.type, value.name, value.data);
    EXPECT_EQ(LoadRememberedRun().destination, c.destination) << c.what;
  }
}

TEST_F(RememberedRunTest, AnUnknownKeyIsStoredAsTheFirstChoice) {
  RememberRun({"", "", "no such destination"});
  EXPECT_EQ(Stored("MRU_Destination"), Typed("STRING", "mbox"));
  EXPECT_EQ(LoadRememberedRun().destination, "mbox");
}

}  // namespace
}  // namespace vandrel
