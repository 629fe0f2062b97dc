// UTF-8 text: writing characters, telling it apart, and cutting it to a byte length without
// leaving half a character behind.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vandrel {

// Appends the character's UTF-8 bytes.
void AppendUtf8(char32_t character, std::string& text);

// Whether the text is well-formed UTF-8.
bool IsUtf8(std::string_view text);

// Cuts to at most maxLength bytes: UTF-8 text at the start of a character, other text (the
// export's own code page) at the byte.
void CutToLength(std::string& text, std::size_t maxLength);

}  // namespace vandrel
