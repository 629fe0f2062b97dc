// What a run that only looks finds about the place of its lock file, with the folder's answer
// to "may a file be made here" given by the test.
#include "engine/writing/run_lock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "engine/utf8_path.h"
#include "temp_folder.h"
#include "texts/scoped_language.h"

namespace vandrel {
namespace {

namespace fs = std::filesystem;

TEST(RunLockTest, ALookFindsWhatTakingTheLockWouldMeet) {
  TempFolder temp;
  fs::create_directories(temp.Path() / "out");
  temp.WriteFile("file", "");
  const struct {
    const char* lockFile;  // below the test's folder
    std::optional<FileErrorCause> answer;
    const char* asked;  // the folder asked, below the test's folder; empty: none
    std::optional<FileErrorCause> found;
  } cases[] = {
      {"out/.lock", std::nullopt, "out", std::nullopt},
      {"out/.lock", FileErrorCause::kAccessDenied, "out", FileErrorCause::kAccessDenied},
      {"out/.lock", FileErrorCause::kDiskFull, "out", FileErrorCause::kDiskFull},
      // Missing folders are made first, in the nearest one there is; where that fails, no
      // folder leads to the lock file.
      {"out/new/newer/.lock", std::nullopt, "out", std::nullopt},
      {"out/new/newer/.lock", FileErrorCause::kAccessDenied, "out", FileErrorCause::kBadPath},
      {"file/new/.lock", std::nullopt, "", FileErrorCause::kBadPath},
  };
  for (const auto& c : cases) {
    const std::string lockFile = PathText(temp.Path() / Utf8Path(c.lockFile));
    std::string asked;
    const auto answer = [&](const std::string& folder, const std::string& fileInIt) {
      asked = folder;
      EXPECT_EQ(fileInIt, lockFile);
      return c.answer;
    };
    const std::string found = RunLockProblem(lockFile, "PLACE", answer);
    EXPECT_EQ(found, c.found ? FileErrorMessage(*c.found, "PLACE") : "") << c.lockFile;
    const std::string expectedAsked =
        *c.asked == '\0' ? "" : PathText(temp.Path() / Utf8Path(c.asked));
    EXPECT_EQ(asked, expectedAsked) << c.lockFile;
  }
  // Nothing was made.
  EXPECT_FALSE(fs::exists(temp.Path() / "out" / "new"));
  EXPECT_TRUE(fs::is_empty(temp.Path() / "out"));
}

// While one run holds the place, a second one is refused, in the user's language; once the
// first has let go, the second may go ahead.
TEST(RunLockTest, ASecondRunIsRefusedWhileTheFirstHoldsThePlace) {
  TempFolder temp;
  const std::string lockFile = PathText(temp.Path() / ".lock");
  const struct {
    Language language;
    const char* refused;
  } cases[] = {
      {Language::kEnglish, "another conversion is writing PLACE."},
      {Language::kGerman, "eine andere Konvertierung schreibt gerade in PLACE."},
  };
  for (const auto& c : cases) {
    const ScopedLanguage chosen(c.language);
    RunLock first;
    ASSERT_EQ(TakeRunLock(first, lockFile, "PLACE"), "");
    RunLock second;
    EXPECT_EQ(TakeRunLock(second, lockFile, "PLACE"), c.refused);
    first.Release();
    EXPECT_EQ(TakeRunLock(second, lockFile, "PLACE"), "");
  }
}

}  // namespace
}  // namespace vandrel
