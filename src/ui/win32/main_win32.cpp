// vandrel.exe: the Windows dialog.
#include <windows.h>

#include "ui/win32/converter_app_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  vandrel::ConverterApp app(instance);
  return app.Run();
}
