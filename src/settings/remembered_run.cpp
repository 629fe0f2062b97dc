#include "settings/remembered_run.h"

#include <string_view>

#include "settings/registry_store.h"

namespace vandrel {
namespace {

constexpr std::string_view kSettingsKey = "Software\\ZQ\\Vandrel";
constexpr char kInputValue[] = "MRU_MailboxInputFile";
constexpr char kOutputValue[] = "MRU_MailboxOutputFile";
constexpr char kDestinationValue[] = "MRU_Destination";
// Versions before the choice of three knew only this number (1: into Thunderbird). It is still
// read where the choice is missing, and still written, so that they keep working beside us.
constexpr char kThunderbirdValue[] = "MRU_OutputToThunderbird";

// A value that cannot be read back is empty, and so is its type word.
std::string Read(RegistryStore& store, const char* valueName, std::string& typeWord) {
  std::string stored;
  if (!store.ReadValue(RegistryRoot::LocalMachine, kSettingsKey, valueName, typeWord, stored)) {
    typeWord.clear();
    stored.clear();
  }
  return stored;
}

std::string_view ReadDestination(RegistryStore& store) {
  std::string typeWord;
  const std::string key = Read(store, kDestinationValue, typeWord);
  if (typeWord == "STRING") return ChoiceNamed(key).key;
  const std::string intoThunderbird = Read(store, kThunderbirdValue, typeWord);
  const bool thunderbird = typeWord == "DWORD" && intoThunderbird != "00000000";
  return ChoiceFor(thunderbird ? DestinationKind::kThunderbird : DestinationKind::kMboxFiles).key;
}

}  // namespace

RememberedRun LoadRememberedRun() {
  RegistryStore store;
  std::string typeWord;
  RememberedRun run;
  run.inputPath = Read(store, kInputValue, typeWord);
  run.outputPath = Read(store, kOutputValue, typeWord);
  run.destination = ReadDestination(store);
  return run;
}

void RememberRun(const RememberedRun& run) {
  RegistryStore store;
  const auto write = [&store](std::string_view type, const char* name, std::string_view data) {
    store.WriteValue(RegistryRoot::LocalMachine, kSettingsKey, type, name, data);
  };
  write("REG_SZ", kInputValue, run.inputPath);
  write("REG_SZ", kOutputValue, run.outputPath);
  write("REG_SZ", kDestinationValue, ChoiceNamed(run.destination).key);
  const bool thunderbird = ChoiceNamed(run.destination).kind == DestinationKind::kThunderbird;
  write("REG_DWORD", kThunderbirdValue, thunderbird ? "1" : "0");
}

}  // namespace vandrel
