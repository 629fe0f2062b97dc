// Windows only: a UTF-8 path as the wide string the system's file functions take.
#pragma once

#include <string>

namespace vandrel {

std::wstring WidePath(const std::string& utf8Path);

}  // namespace vandrel
