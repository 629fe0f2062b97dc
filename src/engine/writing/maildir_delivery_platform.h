// The system's part of a maildir delivery.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vandrel::maildir {

std::string HostName();
std::int64_t ProcessId();

enum class WriteResult { kWritten, kExists, kFailed };
// Makes the file, which must not exist, with the bytes and the modification time. On failure
// the file is removed and `error` says why.
WriteResult WriteNewFile(const std::string& path, std::string_view bytes,
                         std::optional<std::int64_t> time, std::string& error);

bool Exists(const std::string& path);
void RemoveFile(const std::string& path);
// The text of the error line for the system's last error about `path`.
std::string LastErrorText(const std::string& path);

}  // namespace vandrel::maildir
