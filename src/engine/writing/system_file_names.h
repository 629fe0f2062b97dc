// How this system's file systems treat file names, for keeping a run's files apart.
#pragma once

#include <string>
#include <string_view>

namespace vandrel {

// Equal for two names the file system takes for the same file: ignoring ASCII case as Windows
// does, on every system (the files may be copied there); on Windows ignoring the case of every
// letter, as its file systems do.
std::string FileNameKey(std::string_view name);

// The leaf as the system will take it: as it is, and on Windows without a device name or a
// final dot or blank (see AvoidRefusedWindowsName).
std::string SystemFileName(std::string_view leaf);

}  // namespace vandrel
