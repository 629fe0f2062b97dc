// How Thunderbird names the file of a local folder: a name it cannot store as it is (too long,
// or with a character it refuses) keeps its start and gets a hash, exactly as Thunderbird
// computes it; a file named otherwise is not found when Thunderbird looks for the folder.
#pragma once

#include <string>
#include <string_view>

namespace vandrel {

// Thunderbird's longest folder file name, in UTF-16 code units.
inline constexpr std::size_t kThunderbirdMaxFileName = 55;

// The file name Thunderbird uses for a folder of that (UTF-8) name.
std::string ThunderbirdFileName(std::string_view folderName);

}  // namespace vandrel
