// The engine's texts are bytes: paths in UTF-8, and names and subjects from the export often in
// Windows-1252. These turn them into what the widgets show.
#pragma once

#include <QString>

#include <string_view>

namespace vandrel {

// A text of the catalog (UTF-8), such as a control's label.
inline QString CatalogText(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// UTF-8 when the bytes are valid UTF-8, else Windows-1252; control characters made visible as
// VisibleText shows them, so that a NUL or an ESC from the export is seen, not obeyed.
QString DisplayText(std::string_view bytes);

// Log text whose lines are separated by CR LF: each line decoded on its own (one line may come
// from the export, the next from a path), joined by "\n" as a text document wants them.
QString DisplayLogText(std::string_view bytes);

// A text of lines separated by `lineSeparator`, such as a message box's: each line shown as
// DisplayText shows it, joined by "\n".
QString DisplayLines(std::string_view bytes, std::string_view lineSeparator = "\n");

}  // namespace vandrel
