// Writing a file that must not exist yet, flushed to the disk before it counts as written.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string_view>

namespace vandrel {

enum class NewFileResult { Written, NameTaken, Failed };

// On any result but Written nothing is left at `path`.
NewFileResult WriteNewFile(const std::filesystem::path& path, std::string_view contents,
                           mode_t mode);

// Flushes the folder's entries, so that a rename in it survives a power failure.
void SyncFolder(const std::filesystem::path& folder);

}  // namespace vandrel
