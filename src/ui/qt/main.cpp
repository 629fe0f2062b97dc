// vandrel: the desktop window that converts a Calypso export into mbox files for Thunderbird.
#include "ui/qt/converter_app.h"

int main(int argc, char** argv) {
  vandrel::ConverterApp app(argc, argv);
  return app.Run();
}
