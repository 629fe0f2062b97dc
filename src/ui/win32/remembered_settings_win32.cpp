// The parts of the dialog that remember its paths and its destination between runs.
#include "engine/destinations/chosen_output.h"
#include "engine/end_of_run_report.h"
#include "settings/remembered_run.h"
#include "ui/win32/main_dialog_win32.h"
#include "ui/win32/resource_win32.h"

namespace vandrel {

// A path that cannot be read back leaves its edit empty. An account is remembered by its
// address; one that does not read back leaves the account's fields empty.
void MainDialog::ShowRememberedRun() {
  const RememberedRun run = LoadRememberedRun();
  const DestinationChoice& destination = ChoiceNamed(run.destination);
  SetItemText(IDC_INPUT_EDIT, run.inputPath);
  if (destination.place == PlaceKind::kMailAccount) {
    account_ = FieldsOfAddress(run.outputPath);
  } else {
    SetItemText(IDC_OUTPUT_EDIT, run.outputPath);
  }
  ::SendMessageW(Item(IDC_DESTINATION), CB_SETCURSEL, WPARAM(ChoiceIndex(destination)), 0);
  OnDestinationChosen();  // CB_SETCURSEL does not notify
  inputPath_ = ItemText(IDC_INPUT_EDIT);
  outputPath_ = ItemText(IDC_OUTPUT_EDIT);
}

// What the run found (files not there, messages not converted in full), line by line, after the
// run's own lines.
void MainDialog::LogFindings() {
  log_.LogLines(EndOfRunReport(job_->Findings()));
}

}  // namespace vandrel
