// Subjects, folder names and paths come from the export, written by strangers, and may hold
// control characters: a terminal would obey them, and a window that takes a C string stops at a
// NUL. These turn such a text into one that shows every character, whole and only as text.
#pragma once

#include <string>
#include <string_view>

namespace vandrel {

// For a terminal. C0 controls, DEL and C1 controls (U+0080 to U+009F) become "\xNN", the code
// point in two uppercase hex digits; so does every byte that is not part of well-formed UTF-8.
// All else stays byte for byte.
std::string TerminalText(std::string_view bytes);

// For a window, in UTF-8. C0 controls become their control pictures (U+2400 to U+241F), DEL
// U+2421, C1 controls and every byte that is not part of well-formed UTF-8 U+FFFD.
std::string VisibleText(std::string_view bytes);

// VisibleText for the log, whose lines are separated by CR LF: the separators stay.
std::string VisibleLogText(std::string_view bytes);

}  // namespace vandrel
