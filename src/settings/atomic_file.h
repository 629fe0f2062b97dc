// Replacing a file so that readers and crashes only ever see the old file or the new one whole:
// the new text goes to a temporary file in the same folder, is flushed, and is renamed over the
// old file. Callers hold the file's lock, which is also what makes leftovers safe to remove.
#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

namespace vandrel {

// `beforeRename` runs once the temporary file is complete, just before the rename; tests use it
// to stop a writer at the worst moment. The new file keeps the old file's permissions, or is
// private to the user when there was no old file.
bool ReplaceFileAtomically(const std::filesystem::path& target, std::string_view contents,
                           const std::function<void()>& beforeRename = {});

// Removes temporary files that a writer killed before its rename left beside `target`.
// Only safe while holding the lock that every writer of `target` takes.
void RemoveStaleTemporaries(const std::filesystem::path& target);

}  // namespace vandrel
