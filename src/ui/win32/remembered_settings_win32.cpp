// The parts of the dialog that remember its paths and its target between runs.
#include "engine/end_of_run_report.h"
#include "settings/registry_store.h"
#include "settings/remembered_values.h"
#include "ui/win32/main_dialog_win32.h"
#include "ui/win32/resource_win32.h"

namespace vandrel {

// A path that cannot be read back leaves its edit empty.
void MainDialog::LoadRememberedPath(const char* valueName, int editId, std::string& path) {
  RegistryStore store;
  std::string typeWord;
  std::string stored;
  const bool remembered =
      store.ReadValue(RegistryRoot::LocalMachine, kSettingsKey, valueName, typeWord, stored);
  SetItemText(editId, remembered ? stored : std::string());
  path = ItemText(editId);
}

void MainDialog::LoadRememberedTarget() {
  RegistryStore store;
  std::string typeWord;
  std::string stored;
  const bool remembered = store.ReadValue(RegistryRoot::LocalMachine, kSettingsKey,
                                          kThunderbirdValue, typeWord, stored);
  const bool intoThunderbird = remembered && typeWord == "DWORD" && stored != "00000000";
  ::CheckDlgButton(window_, IDC_INTO_THUNDERBIRD, intoThunderbird ? BST_CHECKED : BST_UNCHECKED);
  OnThunderbirdToggled();
}

// Empty paths are stored too, so the next start shows what this one converted with.
void MainDialog::RememberPaths() {
  RegistryStore store;
  store.WriteValue(RegistryRoot::LocalMachine, kSettingsKey, "REG_SZ", kInputValue, inputPath_);
  store.WriteValue(RegistryRoot::LocalMachine, kSettingsKey, "REG_SZ", kOutputValue, outputPath_);
  const bool intoThunderbird = ::IsDlgButtonChecked(window_, IDC_INTO_THUNDERBIRD) == BST_CHECKED;
  store.WriteValue(RegistryRoot::LocalMachine, kSettingsKey, "REG_DWORD", kThunderbirdValue,
                   intoThunderbird ? "1" : "0");
}

// What the run found (files not there, messages not converted in full), line by line, after the
// run's own lines.
void MainDialog::LogFindings() {
  log_.LogLines(EndOfRunReport(job_->Findings()));
}

}  // namespace vandrel
