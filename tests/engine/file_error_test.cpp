#include "engine/file_error.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <map>
#include <string>
#include <vector>

#include "engine/utf8_text.h"
#include "temp_folder.h"
#include "texts/scoped_language.h"

namespace vandrel {
namespace {

using Cause = FileErrorCause;

TEST(FileErrorTest, MessagesNameTheFileInBothLanguages) {
  const std::string file = "C:\\out\\mailInbox.mbx";
  const struct {
    Cause cause;
    std::string german;  // the texts Windows has always shown, byte for byte
    std::string english;
  } cases[] = {
      {Cause::kGeneric, "Ein unbekannter Fehler ist beim Zugriff auf " + file + " aufgetreten.",
       "An unknown error occurred while accessing " + file + "."},
      {Cause::kFileNotFound, file + " wurde nicht gefunden.", file + " was not found."},
      {Cause::kBadPath, file + " enth\xC3\xA4lt eine ung\xC3\xBCltige Pfadangabe.",
       file + " contains an invalid path."},
      {Cause::kTooManyOpenFiles,
       file + " konnte nicht ge\xC3\xB6"
              "ffnet werden, da zu viele Dateien ge\xC3\xB6"
              "ffnet sind.",
       file + " could not be opened because too many files are open."},
      {Cause::kAccessDenied, "Zugriff auf " + file + " wurde verwehrt.",
       "Access to " + file + " was denied."},
      {Cause::kInvalidFile, "Eine ung\xC3\xBCltige Dateikennung war mit " + file + " verbunden.",
       "An invalid file handle was associated with " + file + "."},
      {Cause::kRemoveCurrentDirectory,
       "Das Verzeichnis " + file +
           " konnte nicht entfernt werden, da es das aktuelle Verzeichnis ist. ",
       "The directory " + file + " could not be removed because it is the current directory."},
      {Cause::kDirectoryFull, file + " konnte nicht erstellt werden, da das Verzeichnis voll ist.",
       file + " could not be created because the directory is full."},
      {Cause::kBadSeek, "Positionierungsfehler auf " + file + ".",
       "A seek error occurred on " + file + "."},
      {Cause::kHardwareIo,
       "Ein Hardware-E/A-Fehler wurde w\xC3\xA4hrend des Zugriffs auf " + file + " gemeldet.",
       "A hardware I/O error was reported while accessing " + file + "."},
      {Cause::kSharingViolation,
       "Eine Zugriffsverletzung ist w\xC3\xA4hrend des Zugriffs auf " + file + " aufgetreten.",
       "A sharing violation occurred while accessing " + file + "."},
      {Cause::kLockViolation,
       "Eine Sperrverletzung ist w\xC3\xA4hrend des Zugriffs auf " + file + " aufgetreten.",
       "A lock violation occurred while accessing " + file + "."},
      {Cause::kDiskFull,
       "Beim Zugriff auf " + file + " wurde ein voller Datentr\xC3\xA4ger gemeldet.",
       "The disk was reported full while accessing " + file + "."},
      {Cause::kEndOfFile,
       "Es wurde versucht, auf eine Stelle hinter dem Ende von " + file + " zuzugreifen.",
       "An attempt was made to access " + file + " past its end."},
  };
  static_assert(std::size(cases) == kFileErrorCauseCount);
  for (const auto& c : cases) {
    {
      const ScopedLanguage german(Language::kGerman);
      EXPECT_EQ(FileErrorMessage(c.cause, file), c.german) << static_cast<int>(c.cause);
    }
    const ScopedLanguage english(Language::kEnglish);
    EXPECT_EQ(FileErrorMessage(c.cause, file), c.english) << static_cast<int>(c.cause);
  }
}

TEST(FileErrorTest, TheNameIsInsertedOnceAndNotRescanned) {
  EXPECT_EQ(FileErrorMessage(Cause::kFileNotFound, "%1"), "%1 was not found.");
  EXPECT_EQ(FileErrorMessage(Cause::kFileNotFound, ""), " was not found.");
  const ScopedLanguage german(Language::kGerman);
  EXPECT_EQ(FileErrorMessage(Cause::kFileNotFound, "%1 %1"), "%1 %1 wurde nicht gefunden.");
}

TEST(FileErrorTest, LongMessagesAreCutTo254BytesInBothLanguages) {
  for (const Language language : {Language::kGerman, Language::kEnglish}) {
    const ScopedLanguage chosen(language);
    const std::string suffix =
        language == Language::kGerman ? " wurde nicht gefunden." : " was not found.";
    const std::size_t fits = kMaxFileErrorMessageLength - suffix.size();
    const struct {
      std::size_t nameLength;
      std::size_t expectedLength;
    } cases[] = {{fits - 1, 253}, {fits, 254}, {fits + 1, 254}, {1000, 254}};
    for (const auto& c : cases) {
      const std::string name(c.nameLength, 'n');
      const std::string message = FileErrorMessage(Cause::kFileNotFound, name);
      EXPECT_EQ(message.size(), c.expectedLength) << c.nameLength;
      EXPECT_EQ(message, (name + suffix).substr(0, c.expectedLength)) << c.nameLength;
    }
  }
}

TEST(FileErrorTest, AUtf8MessageIsNotCutInsideACharacter) {
  // "Zugriff auf " is 12 bytes; 120 umlauts of two bytes each put the 254-byte cut inside one.
  const ScopedLanguage german(Language::kGerman);
  std::string name;
  for (int i = 0; i < 122; ++i)
    name += "\xC3\xBC";
  const std::string message = FileErrorMessage(Cause::kAccessDenied, name);
  EXPECT_EQ(message.size(), 254u);
  EXPECT_TRUE(IsUtf8(message));
  std::string latin1(300, '\xFC');
  EXPECT_EQ(FileErrorMessage(Cause::kAccessDenied, latin1).size(), 254u);
}

// Every Windows code from 0 to 1200 and a few far beyond: the listed ones map to their cause,
// all others are generic.
TEST(FileErrorTest, WindowsCodesReduceToTheirCauses) {
  const std::map<Cause, std::vector<std::uint32_t>> listed = {
      {Cause::kFileNotFound, {2, 6, 18, 107}},
      {Cause::kBadPath,
       {3, 15, 17, 34, 52, 53, 55, 67, 70, 85, 111, 123, 124, 125, 144, 154, 161, 206, 208, 267}},
      {Cause::kTooManyOpenFiles, {4, 36, 68, 113}},
      {Cause::kAccessDenied, {5, 12, 19, 29, 54, 58, 64, 65, 71, 80, 82, 86, 170, 183, 999}},
      {Cause::kInvalidFile, {11, 26, 60, 66, 114, 182, 191, 193}},
      {Cause::kRemoveCurrentDirectory, {16, 145}},
      {Cause::kDirectoryFull, {62}},
      {Cause::kBadSeek, {24, 25, 27, 30, 131, 132}},
      {Cause::kHardwareIo, {20, 21, 22, 23, 57, 59, 88, 117, 995, 996, 997}},
      {Cause::kSharingViolation, {32}},
      {Cause::kLockViolation, {33, 108, 167}},
      {Cause::kDiskFull, {39, 112}},
      {Cause::kEndOfFile, {38}},
  };
  std::map<std::uint32_t, Cause> expected;
  for (const auto& [cause, codes] : listed) {
    for (const std::uint32_t code : codes)
      EXPECT_TRUE(expected.emplace(code, cause).second) << code;
  }
  for (std::uint32_t code = 0; code <= 1200; ++code) {
    const auto found = expected.find(code);
    const Cause cause = found == expected.end() ? Cause::kGeneric : found->second;
    EXPECT_EQ(FileErrorCauseFromWindowsCode(code), cause) << code;
  }
  for (const std::uint32_t code : {1392u, 0x80070005u, 0xFFFFFFFFu}) {
    EXPECT_EQ(FileErrorCauseFromWindowsCode(code), Cause::kGeneric) << code;
  }
}

TEST(FileErrorTest, ErrnoValuesReduceByMeaning) {
  TempFolder folder;
  const std::string inExistingFolder = (folder.Path() / "missing.mbx").string();
  const std::string inMissingFolder = (folder.Path() / "no-such-folder" / "missing.mbx").string();
  const std::string underAFile = folder.WriteFile("plain", "x") + "/missing.mbx";
  const struct {
    int errorNumber;
    std::string path;
    Cause expected;
  } cases[] = {
      {ENOENT, inExistingFolder, Cause::kFileNotFound},
      {ENOENT, "relative-name-only", Cause::kFileNotFound},
      {ENOENT, inMissingFolder, Cause::kBadPath},
      {ENOENT, underAFile, Cause::kBadPath},
      {ENOTDIR, inExistingFolder, Cause::kBadPath},
      {ENAMETOOLONG, inExistingFolder, Cause::kBadPath},
      {EACCES, inExistingFolder, Cause::kAccessDenied},
      {EPERM, inExistingFolder, Cause::kAccessDenied},
      {EISDIR, inExistingFolder, Cause::kAccessDenied},
      {EROFS, inExistingFolder, Cause::kAccessDenied},
      {ENOSPC, inExistingFolder, Cause::kDiskFull},
#ifdef EDQUOT
      {EDQUOT, inExistingFolder, Cause::kDiskFull},
#endif
      {EFBIG, inExistingFolder, Cause::kGeneric},
      {EMFILE, inExistingFolder, Cause::kTooManyOpenFiles},
      {ENFILE, inExistingFolder, Cause::kTooManyOpenFiles},
      {EIO, inExistingFolder, Cause::kHardwareIo},
      {EBADF, inExistingFolder, Cause::kInvalidFile},
      {ESPIPE, inExistingFolder, Cause::kBadSeek},
      {ETXTBSY, inExistingFolder, Cause::kSharingViolation},
      {EINVAL, inExistingFolder, Cause::kGeneric},
      {ENOMEM, inExistingFolder, Cause::kGeneric},
      {0, inExistingFolder, Cause::kGeneric},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FileErrorCauseFromErrno(c.errorNumber, c.path), c.expected)
        << c.errorNumber << " " << c.path;
  }
  EXPECT_EQ(FileErrorMessageFromErrno(ENOENT, inMissingFolder),
            inMissingFolder + " contains an invalid path.");
}

}  // namespace
}  // namespace vandrel
