// Reads a settings file written in the REGEDIT4 text layout (see registry_text_writer.h). Both LF
// and CR LF end a line. What cannot be read (a line that is neither a key, a value nor blank, a
// comment, a value outside any key, a value given twice) is left out, and the result says so, so
// that the file can be kept aside before it is replaced.
#pragma once

#include <string_view>

#include "settings/registry_document.h"

namespace vandrel {

struct RegistryText {
  RegistryDocument document;
  bool complete = true;  // false when anything in the text was left out
};

RegistryText ReadRegistryText(std::string_view text);

}  // namespace vandrel
