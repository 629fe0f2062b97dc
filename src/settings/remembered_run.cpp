#include "settings/remembered_run.h"

#include <string_view>

#include "settings/registry_store.h"

namespace vandrel {
namespace {

constexpr std::string_view kSettingsKey = "Software\\ZQ\\Vandrel";
constexpr char kInputValue[] = "MRU_MailboxInputFile";
constexpr char kOutputValue[] = "MRU_MailboxOutputFile";
constexpr char kThunderbirdValue[] = "MRU_OutputToThunderbird";

// A value that cannot be read back is empty.
std::string Read(RegistryStore& store, const char* valueName, std::string& typeWord) {
  std::string stored;
  if (!store.ReadValue(RegistryRoot::LocalMachine, kSettingsKey, valueName, typeWord, stored)) {
    typeWord.clear();
    stored.clear();
  }
  return stored;
}

}  // namespace

RememberedRun LoadRememberedRun() {
  RegistryStore store;
  std::string typeWord;
  RememberedRun run;
  run.inputPath = Read(store, kInputValue, typeWord);
  run.outputPath = Read(store, kOutputValue, typeWord);
  const std::string target = Read(store, kThunderbirdValue, typeWord);
  run.intoThunderbird = typeWord == "DWORD" && target != "00000000";
  return run;
}

void RememberRun(const RememberedRun& run) {
  RegistryStore store;
  store.WriteValue(RegistryRoot::LocalMachine, kSettingsKey, "REG_SZ", kInputValue, run.inputPath);
  store.WriteValue(RegistryRoot::LocalMachine, kSettingsKey, "REG_SZ", kOutputValue,
                   run.outputPath);
  store.WriteValue(RegistryRoot::LocalMachine, kSettingsKey, "REG_DWORD", kThunderbirdValue,
                   run.intoThunderbird ? "1" : "0");
}

}  // namespace vandrel
