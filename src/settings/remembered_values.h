// Where both windows remember their paths and their target between runs.
#pragma once

#include <string_view>

namespace vandrel {

inline constexpr std::string_view kSettingsKey = "Software\\ZQ\\Vandrel";
inline constexpr char kInputValue[] = "MRU_MailboxInputFile";
inline constexpr char kOutputValue[] = "MRU_MailboxOutputFile";
inline constexpr char kThunderbirdValue[] = "MRU_OutputToThunderbird";

}  // namespace vandrel
