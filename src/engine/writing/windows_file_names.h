// The names Windows refuses for a file, whatever the folder: the old device names, with or
// without an extension, and names that end in a dot or a blank (Windows drops those).
#pragma once

#include <string>
#include <string_view>

namespace vandrel {

// CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9 (any case) before the first dot.
bool IsWindowsDeviceName(std::string_view leaf);

// The leaf with "_" after a device name ("CON.mbx" gives "CON_.mbx") and after a final dot or
// blank; other names as they are.
std::string AvoidRefusedWindowsName(std::string_view leaf);

}  // namespace vandrel
