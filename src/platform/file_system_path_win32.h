// File names for the wide Windows API. Paths of MAX_PATH characters or more are made absolute
// and given the "\\?\" prefix, which lifts the limit whatever the system's long-path setting.
#pragma once

#include <string>
#include <string_view>

namespace vandrel::platform {

std::wstring FileSystemPath(std::string_view utf8Path);

}  // namespace vandrel::platform
