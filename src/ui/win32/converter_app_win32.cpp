#include "ui/win32/converter_app_win32.h"

#include <commctrl.h>

#include "ui/win32/main_dialog_win32.h"

namespace vandrel {

// The manifest asks for common controls 6, whose visual styles take the place of the old
// three-dimensional look.
int ConverterApp::Run() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  MainDialog dialog(instance_);
  return dialog.Show() == -1 ? 1 : 0;
}

}  // namespace vandrel
