// The platform's file and folder dialogs for "Get Mailbox" and "Set Output".
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace vandrel {

enum class FileDialogKind { kOpenMailbox, kSaveOutput };

// Opens in the folder of `current` (up to its last backslash); the chosen path, or nothing when
// the user cancels. Paths are UTF-8.
std::optional<std::string> ChooseFile(HWND owner, FileDialogKind kind, const std::string& current);

// A folder, for a destination that is one, starting in `current` when that exists; nothing when
// the user cancels or the dialog cannot be shown.
std::optional<std::string> ChooseFolder(HWND owner, const std::string& current);

// The file dialog's filter for `kind`: pairs of a description in the current language and its
// pattern, each ended by a NUL.
std::wstring FileDialogFilter(FileDialogKind kind);

// The folder the dialog opens in: `current` up to, not including, its last backslash; empty
// (the platform's choice) when it has none.
std::string InitialFolder(const std::string& current);

}  // namespace vandrel
