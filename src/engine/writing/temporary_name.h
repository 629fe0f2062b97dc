// Names for a run's temporary files and folders: the given start and random letters.
#pragma once

#include <string>

namespace vandrel {

std::string TemporaryName(const std::string& prefix);

}  // namespace vandrel
