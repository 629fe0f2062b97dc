// The messages shown when a file cannot be opened, read or written, and the reduction of
// operating-system errors to their causes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vandrel {

enum class FileErrorCause {
  kGeneric,
  kFileNotFound,
  kBadPath,
  kTooManyOpenFiles,
  kAccessDenied,
  kInvalidFile,
  kRemoveCurrentDirectory,
  kDirectoryFull,
  kBadSeek,
  kHardwareIo,
  kSharingViolation,
  kLockViolation,
  kDiskFull,
  kEndOfFile,
};
inline constexpr int kFileErrorCauseCount = 14;

// Longest message in bytes; longer ones are cut.
inline constexpr std::size_t kMaxFileErrorMessageLength = 254;

// The English message for the cause, with "%1" standing for the file name.
std::string_view FileErrorTemplate(FileErrorCause cause);

// The message in the current language with every "%1" replaced by the file name, cut to
// kMaxFileErrorMessageLength.
std::string FileErrorMessage(FileErrorCause cause, std::string_view fileName);

// For a Windows system error code (GetLastError); unknown codes are generic.
FileErrorCause FileErrorCauseFromWindowsCode(std::uint32_t code);

// For an errno value. ENOENT needs the path: a missing file in an existing folder is not
// found, a folder missing on the way makes the path bad.
FileErrorCause FileErrorCauseFromErrno(int errorNumber, std::string_view path);

// FileErrorMessage for the cause of an errno value.
std::string FileErrorMessageFromErrno(int errorNumber, std::string_view path);

}  // namespace vandrel
