// Keeping a settings file that could not be read whole, so that replacing it loses nothing.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace vandrel {

// Keeps `file` beside itself as "<name>.bad-<local time>" (with "-2", "-3", ... when that name is
// taken). `contents` is the file's text when it could be read, and is written to the copy;
// without it the file is hard-linked under the new name. False when no copy could be made, and
// then the file must not be replaced.
bool KeepDamagedFile(const std::filesystem::path& file, std::optional<std::string_view> contents);

}  // namespace vandrel
