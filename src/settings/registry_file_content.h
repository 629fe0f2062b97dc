// A settings file as loaded from disk: whether it was there, its text, and what could be read.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "settings/registry_text_reader.h"

namespace vandrel {

struct RegistryFileContent {
  // Larger files are not settings this program wrote; they are left unread.
  static constexpr std::size_t kSizeLimit = 4 * 1024 * 1024;

  enum class State { Missing, Read, Unreadable };

  // A file that cannot be opened, is not a regular file or is over the size limit is Unreadable.
  static RegistryFileContent Load(const std::filesystem::path& file);

  // True when replacing the file would lose something that could not be read.
  bool NeedsKeeping() const {
    return state == State::Unreadable || (state == State::Read && !parsed.complete);
  }

  State state = State::Missing;
  std::string text;     // the whole file, when Read
  RegistryText parsed;  // what could be read of it
};

}  // namespace vandrel
