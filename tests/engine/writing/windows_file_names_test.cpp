#include "engine/writing/windows_file_names.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

TEST(WindowsFileNamesTest, RefusedNamesGetAnUnderscoreOthersStayAsTheyAre) {
  const struct {
    const char* leaf;
    const char* kept;
  } cases[] = {
      {"CON.mbx", "CON_.mbx"},
      {"con", "con_"},
      {"Nul.tar.mbx", "Nul_.tar.mbx"},
      {"AUX", "AUX_"},
      {"prn.mbx", "prn_.mbx"},
      {"COM1.mbx", "COM1_.mbx"},
      {"lpt9", "lpt9_"},
      {"CON .mbx", "CON _.mbx"},
      {"ends.", "ends._"},
      {"ends ", "ends _"},
      {"COM0.mbx", "COM0.mbx"},
      {"COM10.mbx", "COM10.mbx"},
      {"CONSOLE.mbx", "CONSOLE.mbx"},
      {"mailCON.mbx", "mailCON.mbx"},
      {"Inbox.mbx", "Inbox.mbx"},
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AvoidRefusedWindowsName(c.leaf), c.kept) << c.leaf;
}

}  // namespace
}  // namespace vandrel
