#include "engine/file_error.h"

#include <array>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "engine/utf8_path.h"
#include "engine/utf8_text.h"
#include "texts/texts.h"

namespace vandrel {
namespace {

// The German texts are the ones the system itself has always shown for these errors.
constexpr std::array<std::string_view, kFileErrorCauseCount> kTemplates = {
    TrNoop("An unknown error occurred while accessing %1."),
    TrNoop("%1 was not found."),
    TrNoop("%1 contains an invalid path."),
    TrNoop("%1 could not be opened because too many files are open."),
    TrNoop("Access to %1 was denied."),
    TrNoop("An invalid file handle was associated with %1."),
    TrNoop("The directory %1 could not be removed because it is the current directory."),
    TrNoop("%1 could not be created because the directory is full."),
    TrNoop("A seek error occurred on %1."),
    TrNoop("A hardware I/O error was reported while accessing %1."),
    TrNoop("A sharing violation occurred while accessing %1."),
    TrNoop("A lock violation occurred while accessing %1."),
    TrNoop("The disk was reported full while accessing %1."),
    TrNoop("An attempt was made to access %1 past its end."),
};

struct WindowsCodeRange {
  std::uint32_t first;
  std::uint32_t last;
  FileErrorCause cause;
};

constexpr WindowsCodeRange kWindowsCodes[] = {
    {2, 2, FileErrorCause::kFileNotFound},
    {6, 6, FileErrorCause::kFileNotFound},
    {18, 18, FileErrorCause::kFileNotFound},
    {107, 107, FileErrorCause::kFileNotFound},
    {3, 3, FileErrorCause::kBadPath},
    {15, 15, FileErrorCause::kBadPath},
    {17, 17, FileErrorCause::kBadPath},
    {34, 34, FileErrorCause::kBadPath},
    {52, 53, FileErrorCause::kBadPath},
    {55, 55, FileErrorCause::kBadPath},
    {67, 67, FileErrorCause::kBadPath},
    {70, 70, FileErrorCause::kBadPath},
    {85, 85, FileErrorCause::kBadPath},
    {111, 111, FileErrorCause::kBadPath},
    {123, 125, FileErrorCause::kBadPath},
    {144, 144, FileErrorCause::kBadPath},
    {154, 154, FileErrorCause::kBadPath},
    {161, 161, FileErrorCause::kBadPath},
    {206, 206, FileErrorCause::kBadPath},
    {208, 208, FileErrorCause::kBadPath},
    {267, 267, FileErrorCause::kBadPath},
    {4, 4, FileErrorCause::kTooManyOpenFiles},
    {36, 36, FileErrorCause::kTooManyOpenFiles},
    {68, 68, FileErrorCause::kTooManyOpenFiles},
    {113, 113, FileErrorCause::kTooManyOpenFiles},
    {5, 5, FileErrorCause::kAccessDenied},
    {12, 12, FileErrorCause::kAccessDenied},
    {19, 19, FileErrorCause::kAccessDenied},
    {29, 29, FileErrorCause::kAccessDenied},
    {54, 54, FileErrorCause::kAccessDenied},
    {58, 58, FileErrorCause::kAccessDenied},
    {64, 65, FileErrorCause::kAccessDenied},
    {71, 71, FileErrorCause::kAccessDenied},
    {80, 80, FileErrorCause::kAccessDenied},
    {82, 82, FileErrorCause::kAccessDenied},
    {86, 86, FileErrorCause::kAccessDenied},
    {170, 170, FileErrorCause::kAccessDenied},
    {183, 183, FileErrorCause::kAccessDenied},
    {999, 999, FileErrorCause::kAccessDenied},
    {11, 11, FileErrorCause::kInvalidFile},
    {26, 26, FileErrorCause::kInvalidFile},
    {60, 60, FileErrorCause::kInvalidFile},
    {66, 66, FileErrorCause::kInvalidFile},
    {114, 114, FileErrorCause::kInvalidFile},
    {182, 182, FileErrorCause::kInvalidFile},
    {191, 191, FileErrorCause::kInvalidFile},
    {193, 193, FileErrorCause::kInvalidFile},
    {16, 16, FileErrorCause::kRemoveCurrentDirectory},
    {145, 145, FileErrorCause::kRemoveCurrentDirectory},
    {62, 62, FileErrorCause::kDirectoryFull},
    {24, 25, FileErrorCause::kBadSeek},
    {27, 27, FileErrorCause::kBadSeek},
    {30, 30, FileErrorCause::kBadSeek},
    {131, 132, FileErrorCause::kBadSeek},
    {20, 23, FileErrorCause::kHardwareIo},
    {57, 57, FileErrorCause::kHardwareIo},
    {59, 59, FileErrorCause::kHardwareIo},
    {88, 88, FileErrorCause::kHardwareIo},
    {117, 117, FileErrorCause::kHardwareIo},
    {995, 997, FileErrorCause::kHardwareIo},
    {32, 32, FileErrorCause::kSharingViolation},
    {33, 33, FileErrorCause::kLockViolation},
    {108, 108, FileErrorCause::kLockViolation},
    {167, 167, FileErrorCause::kLockViolation},
    {39, 39, FileErrorCause::kDiskFull},
    {112, 112, FileErrorCause::kDiskFull},
    {38, 38, FileErrorCause::kEndOfFile},
};

// ENOENT is ambiguous: it covers the file itself and every folder on the way to it.
FileErrorCause CauseOfMissingEntry(std::string_view path) {
  const std::filesystem::path folder = Utf8Path(path).parent_path();
  if (folder.empty()) return FileErrorCause::kFileNotFound;  // the current folder
  std::error_code error;
  return std::filesystem::is_directory(folder, error) ? FileErrorCause::kFileNotFound
                                                      : FileErrorCause::kBadPath;
}

}  // namespace

std::string_view FileErrorTemplate(FileErrorCause cause) {
  const auto index = static_cast<std::size_t>(cause);
  return index < kTemplates.size() ? kTemplates[index] : kTemplates[0];
}

std::string FileErrorMessage(FileErrorCause cause, std::string_view fileName) {
  std::string message = Format(Tr(FileErrorTemplate(cause)), fileName);
  CutToLength(message, kMaxFileErrorMessageLength);
  return message;
}

FileErrorCause FileErrorCauseFromWindowsCode(std::uint32_t code) {
  for (const WindowsCodeRange& range : kWindowsCodes) {
    if (code >= range.first && code <= range.last) return range.cause;
  }
  return FileErrorCause::kGeneric;
}

FileErrorCause FileErrorCauseFromErrno(int errorNumber, std::string_view path) {
  switch (errorNumber) {
    case ENOENT:
      return CauseOfMissingEntry(path);
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
      return FileErrorCause::kBadPath;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case EEXIST:
      return FileErrorCause::kAccessDenied;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return FileErrorCause::kDiskFull;
    case EMFILE:
    case ENFILE:
      return FileErrorCause::kTooManyOpenFiles;
    case EBADF:
      return FileErrorCause::kInvalidFile;
    case ESPIPE:
      return FileErrorCause::kBadSeek;
    case EIO:
      return FileErrorCause::kHardwareIo;
    case ETXTBSY:
    case EBUSY:
      return FileErrorCause::kSharingViolation;
    default:
      return FileErrorCause::kGeneric;
  }
}

std::string FileErrorMessageFromErrno(int errorNumber, std::string_view path) {
  return FileErrorMessage(FileErrorCauseFromErrno(errorNumber, path), path);
}

}  // namespace vandrel
