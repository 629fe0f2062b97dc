// Every line of a converted message ends in CR LF, the form of mail on the wire and of the files
// the Windows program wrote; a store that wants other line ends makes them itself.
#pragma once

#include <string>

namespace vandrel {

// In place: a CR goes before each LF that has none. A CR alone is no line end and stays.
void ToCrLfLines(std::string& text);

}  // namespace vandrel
